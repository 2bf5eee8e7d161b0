#include "titletable.h"

#include <algorithm>

#include "collectionfiles.h"
#include "datafolder.h"
#include "filelisting.h"
#include "recordfile.h"
#include "records.h"

namespace {

bool hasAsciiLetter(const QString& name)
{
    return std::any_of(name.cbegin(), name.cend(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    });
}

void writeTitle(RecordWriter& out, const TitleRecord& t)
{
    for (const QString* field : {&t.name, &t.artist, &t.genre, &t.rating, &t.media, &t.date, &t.memo})
        out.text(*field);
    out.endRecord();
}

WriteResult writeTitles(DataFolder& folder, const TitleRecord* first, size_t count, WriteMode mode)
{
    RecordWriter out;
    for (size_t i = 0; i < count; ++i)
        writeTitle(out, first[i]);
    return WriteRecordFile(folder, files::kTitles, out, mode);
}

} // namespace

TitleTable::TitleTable(std::vector<TitleRecord> records)
    : m_records(std::move(records))
{
    m_firstByName.reserve(static_cast<qsizetype>(m_records.size()));
    // Backwards, so that the first title of a name is the one kept. Only a name with an
    // ASCII letter can have a twin that differs in letter case; the others need no
    // folded entry.
    for (size_t i = m_records.size(); i-- > 0;) {
        const QString& name = m_records[i].name;
        m_firstByName.insert(name, static_cast<int>(i + 1));
        if (hasAsciiLetter(name))
            m_firstByFoldedName.insert(foldLetterCase(name), static_cast<int>(i + 1));
    }
}

int TitleTable::find(const QString& name) const
{
    return m_firstByName.value(name, 0);
}

int TitleTable::findIgnoringCase(const QString& name) const
{
    return hasAsciiLetter(name) ? m_firstByFoldedName.value(foldLetterCase(name), 0) : find(name);
}

std::vector<std::pair<int, int>> TitleTable::caseTwins() const
{
    std::vector<std::pair<int, int>> twins;
    for (int k = 1; k <= count(); ++k) {
        const QString& name = at(k).name;
        if (!hasAsciiLetter(name))
            continue;
        const int first = m_firstByFoldedName.value(foldLetterCase(name), 0);
        if (first != k && find(name) == k)
            twins.emplace_back(first, k);
    }
    return twins;
}

QString TitleRecordText(const TitleRecord& record)
{
    RecordWriter out;
    writeTitle(out, record);
    return out.result();
}

namespace {

TableRead<TitleTable> readTitles(const QString& text)
{
    RecordsRead<TitleRecord> read =
        ParseRecordText<TitleRecord>(files::kTitles, text, TitleRecord::kFieldCount, [](QString* f) {
            return TitleRecord{std::move(f[0]), std::move(f[1]), std::move(f[2]), std::move(f[3]),
                               std::move(f[4]), std::move(f[5]), std::move(f[6])};
        });
    TableRead<TitleTable> out{TitleTable(std::move(read.records)), std::move(read.problems)};
    // Titles whose names differ only in letter case share their files on the disks the
    // collections are kept on. The program no longer creates them; say so of old ones.
    // Each named with the line its record starts on.
    const TitleTable& table = out.table;
    for (const auto& [first, twin] : table.caseTwins())
        out.problems.append({LoadProblem::Kind::CaseTwins, files::kTitles, read.lines[static_cast<size_t>(twin - 1)],
                             table.at(twin).name, table.at(first).name, {}, read.lines[static_cast<size_t>(first - 1)]});
    return out;
}

} // namespace

void ReadTitleFileAhead(DataFolder& folder)
{
    ReadDigestedAhead(folder, files::kTitles, readTitles);
}

void LoadTitleFile(DataFolder& folder, TitleTable* table)
{
    auto read = ReadDigested(folder, files::kTitles, readTitles);
    // On the first start the file is made at once, as it will be appended to. If even
    // that fails the collection is simply empty, and the first write reports why.
    if (!read && !folder.exists(files::kTitles))
        folder.rewrite(files::kTitles, QString());
    *table = read ? std::move(read->table) : TitleTable();
}

WriteResult SaveTitleFile(DataFolder& folder, const std::vector<TitleRecord>& records)
{
    return writeTitles(folder, records.data(), records.size(), WriteMode::Rewrite);
}

std::optional<DataFolder::Change> TitleFileChange(const std::vector<TitleRecord>& records, WriteResult* refused)
{
    RecordWriter out;
    for (const TitleRecord& t : records)
        writeTitle(out, t);
    if (out.hasQuote()) {
        *refused = WriteResult::refused(files::kTitles, {TextRefusal::Kind::DoubleQuote, QStringLiteral("\"")});
        return std::nullopt;
    }
    return DataFolder::Change{files::kTitles, out.result()};
}

std::optional<DataFolder::Change> TitleAddition(DataFolder& folder, const TitleTable& loaded,
                                                const std::vector<TitleRecord>& records, WriteResult* refused)
{
    const bool whole = folder.endsWithinRecord(files::kTitles);
    RecordWriter out;
    if (whole) {
        for (const TitleRecord& t : loaded.records())
            writeTitle(out, t);
    }
    for (const TitleRecord& record : records)
        writeTitle(out, record);
    if (out.hasQuote()) {
        *refused = WriteResult::refused(files::kTitles, {TextRefusal::Kind::DoubleQuote, QStringLiteral("\"")});
        return std::nullopt;
    }
    return DataFolder::Change{files::kTitles, out.result(),
                              whole ? DataFolder::Change::Mode::Rewrite : DataFolder::Change::Mode::Append};
}

WriteResult AppendTitle(DataFolder& folder, const TitleTable& loaded, const TitleRecord& record)
{
    WriteResult refused;
    const std::optional<DataFolder::Change> added = TitleAddition(folder, loaded, {record}, &refused);
    return added ? folder.write({*added}) : refused;
}
