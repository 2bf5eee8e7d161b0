#include "readings.h"

#include "recordfile.h"
#include "records.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kFieldCount = 3;

std::optional<ReadingKind> kindOfWord(const QString& word)
{
    for (const ReadingKind kind : {ReadingKind::Artist, ReadingKind::Title, ReadingKind::Song}) {
        if (readingKindWord(kind) == word)
            return kind;
    }
    return std::nullopt;
}

// What a record read holds, before it is known to be one.
struct ReadRecord {
    QString kind;
    QString name;
    QString reading;
};

struct ReadingsRead {
    ReadingTable table;
    QList<LoadProblem> problems;
};

ReadingsRead readReadings(const QString& text)
{
    RecordsRead<ReadRecord> read = ParseRecordText<ReadRecord>(readingfile::kName, text, kFieldCount, [](QString* f) {
        return ReadRecord{std::move(f[0]), std::move(f[1]), std::move(f[2])};
    });
    ReadingsRead out{{}, std::move(read.problems)};
    for (size_t i = 0; i < read.records.size(); ++i) {
        ReadRecord& r = read.records[i];
        const std::optional<ReadingKind> kind = kindOfWord(r.kind);
        QString why;
        if (!kind)
            why = u"「%1」は読みの種類（歌手、タイトル、曲）ではありません"_s.arg(r.kind);
        else if (r.name.isEmpty())
            why = u"名前がありません"_s;
        else if (!japanese::isReading(r.reading))
            why = u"「%1」の読み「%2」はカタカナではありません"_s.arg(r.name, r.reading);
        else if (!out.table.addRead({*kind, std::move(r.name), std::move(r.reading)}))
            why = u"「%1」の読みが二つあります"_s.arg(read.records[i].name);
        if (!why.isEmpty())
            out.problems.append({LoadProblem::Kind::BadRecord, readingfile::kName, read.lines[i], {}, {}, why});
    }
    // In the order met, whichever check met them.
    std::stable_sort(out.problems.begin(), out.problems.end(),
                     [](const LoadProblem& a, const LoadProblem& b) { return a.line < b.line; });
    return out;
}

void writeReading(RecordWriter& out, const ReadingRecord& r)
{
    out.text(readingKindWord(r.kind));
    out.text(r.name);
    out.text(r.reading);
    out.endRecord();
}

} // namespace

QString readingKindWord(ReadingKind kind)
{
    switch (kind) {
    case ReadingKind::Artist:
        return u"歌手"_s;
    case ReadingKind::Title:
        return u"タイトル"_s;
    case ReadingKind::Song:
        return u"曲"_s;
    }
    return {};
}

QString ReadingTable::keyOf(ReadingKind kind, const QString& name)
{
    return QChar(u'0' + static_cast<int>(kind)) + name;
}

void ReadingTable::reindex()
{
    m_index.clear();
    m_index.reserve(static_cast<qsizetype>(m_records.size()));
    for (size_t i = 0; i < m_records.size(); ++i)
        m_index.insert(keyOf(m_records[i].kind, m_records[i].name), static_cast<int>(i));
}

QString ReadingTable::reading(ReadingKind kind, const QString& name) const
{
    const auto it = m_index.constFind(keyOf(kind, name));
    return it == m_index.cend() ? QString() : m_records[static_cast<size_t>(*it)].reading;
}

bool ReadingTable::addRead(ReadingRecord record)
{
    const QString key = keyOf(record.kind, record.name);
    if (m_index.contains(key))
        return false;
    m_index.insert(key, count());
    m_records.push_back(std::move(record));
    return true;
}

std::optional<ReadingSetRefusal> ReadingTable::set(ReadingKind kind, const QString& name, const QString& typed)
{
    if (const auto refusal = refusalOf(name, {.oneLine = true, .asField = true}))
        return ReadingSetRefusal{refusal->message(), refusal->title()};
    if (const auto refusal = japanese::readingRefusal(typed))
        return ReadingSetRefusal{refusal->message(), refusal->title()};
    const QString reading = japanese::readingForm(typed);
    if (reading.isEmpty()) {
        remove(kind, name);
        return std::nullopt;
    }
    const auto it = m_index.constFind(keyOf(kind, name));
    if (it != m_index.cend())
        m_records[static_cast<size_t>(*it)].reading = reading;
    else
        addRead({kind, name, reading});
    return std::nullopt;
}

void ReadingTable::remove(ReadingKind kind, const QString& name)
{
    const auto it = m_index.constFind(keyOf(kind, name));
    if (it == m_index.cend())
        return;
    m_records.erase(m_records.begin() + *it);
    reindex();
}

void ReadingTable::rename(ReadingKind kind, const QString& from, const QString& to)
{
    if (from == to)
        return;
    const auto it = m_index.constFind(keyOf(kind, from));
    if (it == m_index.cend())
        return;
    if (m_index.contains(keyOf(kind, to))) {
        remove(kind, from);
        return;
    }
    const int at = *it;
    m_index.erase(it);
    m_records[static_cast<size_t>(at)].name = to;
    m_index.insert(keyOf(kind, to), at);
}

int ReadingTable::prune(const QSet<QString>& artists, const QSet<QString>& titles, const QSet<QString>& songs)
{
    const auto gone = [&](const ReadingRecord& r) {
        switch (r.kind) {
        case ReadingKind::Artist:
            return !artists.contains(r.name);
        case ReadingKind::Title:
            return !titles.contains(r.name);
        case ReadingKind::Song:
            return !songs.contains(r.name);
        }
        return true;
    };
    const auto dropped = std::erase_if(m_records, gone);
    if (dropped > 0)
        reindex();
    return static_cast<int>(dropped);
}

void ReadReadingFileAhead(DataFolder& folder)
{
    ReadDigestedAhead(folder, readingfile::kName, readReadings);
}

void LoadReadingFile(DataFolder& folder, ReadingTable* table)
{
    auto read = ReadDigested(folder, readingfile::kName, readReadings);
    *table = read ? std::move(read->table) : ReadingTable();
}

std::optional<DataFolder::Change> ReadingFileChange(const ReadingTable& table, WriteResult* refused)
{
    RecordWriter out;
    for (const ReadingRecord& r : table.records())
        writeReading(out, r);
    if (out.hasQuote()) {
        *refused = WriteResult::refused(readingfile::kName, {TextRefusal::Kind::DoubleQuote, u"\""_s});
        return std::nullopt;
    }
    return DataFolder::Change{readingfile::kName, out.result()};
}

WriteResult SaveReadingFile(DataFolder& folder, const ReadingTable& table)
{
    WriteResult refused;
    const std::optional<DataFolder::Change> change = ReadingFileChange(table, &refused);
    return change ? folder.write({*change}) : refused;
}
