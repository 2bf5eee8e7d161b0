#include "tracktable.h"

#include "collectionfiles.h"
#include "datafolder.h"
#include "recordfile.h"
#include "records.h"

namespace {

WriteResult writeTracks(DataFolder& folder, const std::vector<TrackRecord>& records, WriteMode mode)
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
    return WriteRecordFile(folder, files::kTracks, out, mode);
}

} // namespace

TrackTable::TrackTable(std::vector<TrackRecord> records)
    : m_records(std::move(records))
{
    m_pairs.reserve(static_cast<qsizetype>(m_records.size()));
    for (const TrackRecord& t : m_records)
        m_pairs.insert({t.name, t.artist});
}

bool TrackTable::contains(const QString& name, const QString& artist) const
{
    return m_pairs.contains({name, artist});
}

void LoadTrackTable(DataFolder& folder, TrackTable* table)
{
    auto records = ReadRecordFile<TrackRecord>(folder, files::kTracks, TrackRecord::kFieldCount, [](QString* f) {
        return TrackRecord{std::move(f[0]), std::move(f[1]), std::move(f[2]), std::move(f[3]),
                           std::move(f[4]), std::move(f[5]), std::move(f[11])};
    });
    *table = TrackTable(records ? std::move(*records) : std::vector<TrackRecord>());
}

WriteResult SaveTrackTable(DataFolder& folder, const std::vector<TrackRecord>& records)
{
    return writeTracks(folder, records, WriteMode::Rewrite);
}

WriteResult WriteTrackList(DataFolder& folder, const TrackTable& loaded, const QString& listFile,
                           const QString& listText, const std::vector<TrackRecord>& added)
{
    // For now the songs first, then the list.
    if (!added.empty()) {
        const WriteResult appended = AppendTrackRecords(folder, loaded, added);
        if (!appended.ok())
            return appended;
    }
    return folder.rewrite(listFile, listText);
}

WriteResult AppendTrackRecords(DataFolder& folder, const TrackTable& loaded, const std::vector<TrackRecord>& records)
{
    if (folder.endsWithinRecord(files::kTracks)) {
        std::vector<TrackRecord> all = loaded.records();
        all.insert(all.end(), records.begin(), records.end());
        return writeTracks(folder, all, WriteMode::Rewrite);
    }
    return writeTracks(folder, records, WriteMode::Append);
}
