#include "tracktable.h"

#include "collectionfiles.h"
#include "datafolder.h"
#include "namerules.h"
#include "recordfile.h"
#include "records.h"

using namespace Qt::Literals::StringLiterals;

namespace {

RecordWriter trackRecords(const std::vector<TrackRecord>& records)
{
    RecordWriter out;
    for (const TrackRecord& t : records) {
        for (const QString* field : {&t.name, &t.artist, &t.genre, &t.lyricist, &t.composer, &t.arranger})
            out.text(*field);
        for (int i = 0; i < 5; ++i)
            out.text(QStringView());
        out.text(t.reserved);
        out.endRecord();
    }
    return out;
}

} // namespace

std::optional<DataFolder::Change> TrackRecordsAddition(DataFolder& folder, const TrackTable& loaded,
                                                      const std::vector<TrackRecord>& records, WriteResult* refused)
{
    const bool whole = folder.endsWithinRecord(files::kTracks);
    std::vector<TrackRecord> all;
    if (whole) {
        all = loaded.records();
        all.insert(all.end(), records.begin(), records.end());
    }
    const RecordWriter out = trackRecords(whole ? all : records);
    if (out.hasQuote()) {
        *refused = WriteResult::refused(files::kTracks, {TextRefusal::Kind::DoubleQuote, u"\""_s});
        return std::nullopt;
    }
    return DataFolder::Change{files::kTracks, out.result(),
                              whole ? DataFolder::Change::Mode::Rewrite : DataFolder::Change::Mode::Append};
}

TrackTable::TrackTable(std::vector<TrackRecord> records)
    : m_records(std::move(records))
{
}

void TrackTable::index() const
{
    if (m_indexed)
        return;
    m_indexed = true;
    m_pairs.reserve(static_cast<qsizetype>(m_records.size()));
    for (size_t i = 0; i < m_records.size(); ++i) {
        const TrackRecord& t = m_records[i];
        m_pairs.insert({t.name, t.artist});
        std::pair<QString, QString> parts{namerules::lyricsNamePart(t.name), namerules::lyricsNamePart(t.artist)};
        if ((parts.first != t.name || parts.second != t.artist) && !m_byLyricsNameParts.contains(parts))
            m_byLyricsNameParts.insert(std::move(parts), static_cast<int>(i));
    }
}

bool TrackTable::contains(const QString& name, const QString& artist) const
{
    index();
    return m_pairs.contains({name, artist});
}

const TrackRecord* TrackTable::namedInLyricsFile(const QString& namePart, const QString& artistPart) const
{
    index();
    const auto found = m_byLyricsNameParts.constFind({namePart, artistPart});
    return found == m_byLyricsNameParts.cend() ? nullptr : &m_records[static_cast<size_t>(*found)];
}

namespace {

TableRead<TrackTable> readTracks(const QString& text)
{
    RecordsRead<TrackRecord> read =
        ParseRecordText<TrackRecord>(files::kTracks, text, TrackRecord::kFieldCount, [](QString* f) {
            return TrackRecord{std::move(f[0]), std::move(f[1]), std::move(f[2]), std::move(f[3]),
                               std::move(f[4]), std::move(f[5]), std::move(f[11])};
        });
    return {TrackTable(std::move(read.records)), std::move(read.problems)};
}

} // namespace

void ReadTrackTableAhead(DataFolder& folder)
{
    ReadDigestedAhead(folder, files::kTracks, readTracks);
}

void LoadTrackTable(DataFolder& folder, TrackTable* table)
{
    auto read = ReadDigested(folder, files::kTracks, readTracks);
    *table = read ? std::move(read->table) : TrackTable();
}

WriteResult SaveTrackTable(DataFolder& folder, const std::vector<TrackRecord>& records)
{
    return WriteRecordFile(folder, files::kTracks, trackRecords(records), WriteMode::Rewrite);
}

WriteResult WriteTrackList(DataFolder& folder, const TrackTable& loaded, const QString& listFile,
                           const QString& listText, const std::vector<TrackRecord>& added)
{
    std::vector<DataFolder::Change> changes;
    if (!added.empty()) {
        WriteResult refused;
        const std::optional<DataFolder::Change> songs = TrackRecordsAddition(folder, loaded, added, &refused);
        if (!songs)
            return refused;
        changes.push_back(*songs);
    }
    changes.push_back({listFile, listText, DataFolder::Change::Mode::Rewrite});
    return folder.write(changes);
}

WriteResult AppendTrackRecords(DataFolder& folder, const TrackTable& loaded, const std::vector<TrackRecord>& records)
{
    WriteResult refused;
    const std::optional<DataFolder::Change> songs = TrackRecordsAddition(folder, loaded, records, &refused);
    return songs ? folder.write({*songs}) : refused;
}
