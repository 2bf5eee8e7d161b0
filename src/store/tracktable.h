#pragma once

#include "datafolder.h"
#include "storeerror.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class DataFolder;

// One distinct song of the collection, keyed by song name and artist name: one line of
// the track data file. Of the six reserved fields that follow the arranger, the first
// five are always empty and the last is kept as read.
struct TrackRecord {
    static constexpr int kFieldCount = 12;

    QString name;
    QString artist;
    QString genre;
    QString lyricist;
    QString composer;
    QString arranger;
    QString reserved;

    friend bool operator==(const TrackRecord&, const TrackRecord&) = default;
};

// Every song in file order, numbered from 1. Never patched: reloaded after each write.
class TrackTable {
public:
    TrackTable() = default;
    explicit TrackTable(std::vector<TrackRecord> records);

    int count() const { return static_cast<int>(m_records.size()); }
    const TrackRecord& at(int k) const { return m_records[static_cast<size_t>(k - 1)]; }
    const std::vector<TrackRecord>& records() const { return m_records; }

    // Whether the pair (song name, artist) is in the table, compared exactly.
    bool contains(const QString& name, const QString& artist) const;
    // The first song whose name and artist stand in a lyrics file name as the given
    // parts, where they differ from the names (a "/" written as "／"), or null.
    const TrackRecord* namedInLyricsFile(const QString& namePart, const QString& artistPart) const;

private:
    // Builds the look-ups below when first needed (a start need not wait for them).
    void index() const;

    std::vector<TrackRecord> m_records;
    mutable bool m_indexed = false;
    mutable QSet<std::pair<QString, QString>> m_pairs;
    // Only the few songs whose lyrics file names differ from their names.
    mutable QHash<std::pair<QString, QString>, int> m_byLyricsNameParts;
};

// Reads "曲目データ.TXT" into table; a missing file gives no songs.
void LoadTrackTable(DataFolder& folder, TrackTable* table);
// Begins reading "曲目データ.TXT" into a table on a worker, for the LoadTrackTable that follows.
void ReadTrackTableAhead(DataFolder& folder);

// Rewrites "曲目データ.TXT" whole from the records, in their order.
WriteResult SaveTrackTable(DataFolder& folder, const std::vector<TrackRecord>& records);

// Writes a title's track list and adds its new songs to "曲目データ.TXT" (loaded into
// loaded), both or neither: when either file cannot be written, both stay as they were.
WriteResult WriteTrackList(DataFolder& folder, const TrackTable& loaded, const QString& listFile,
                           const QString& listText, const std::vector<TrackRecord>& added);

// The change that adds records to "曲目データ.TXT": an append, or the whole file when it
// was found cut short within a record (an appended record would run into the cut one).
// Nothing, with *refused set, when a field holds a double quote.
std::optional<DataFolder::Change> TrackRecordsAddition(DataFolder& folder, const TrackTable& loaded,
                                                      const std::vector<TrackRecord>& records, WriteResult* refused);

// Adds records at the end of "曲目データ.TXT", loaded into table, all or none. A file
// that was found cut short within a record is written whole instead.
WriteResult AppendTrackRecords(DataFolder& folder, const TrackTable& loaded, const std::vector<TrackRecord>& records);
