#pragma once

#include "datafolder.h"
#include "storeerror.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class DataFolder;

// One title of the collection: one line of the title file, seven text fields.
struct TitleRecord {
    static constexpr int kFieldCount = 7;

    QString name;
    QString artist;
    QString genre;
    QString rating;
    QString media;
    QString date;
    QString memo;

    friend bool operator==(const TitleRecord&, const TitleRecord&) = default;
};

// All titles in main order, numbered from 1 as the screens count them. Names are
// never changed after creation; a lookup by name gives the first title of that name.
class TitleTable {
public:
    TitleTable() = default;
    explicit TitleTable(std::vector<TitleRecord> records);

    int count() const { return static_cast<int>(m_records.size()); }
    // k runs from 1 to count().
    const TitleRecord& at(int k) const { return m_records[static_cast<size_t>(k - 1)]; }
    const std::vector<TitleRecord>& records() const { return m_records; }

    // The number of the first title named exactly name, or 0.
    int find(const QString& name) const;
    // The number of the first title whose name equals name when ASCII letter case is
    // ignored (as file names are matched), or 0: such a title would share its files.
    int findIgnoringCase(const QString& name) const;
    // Titles that differ from an earlier one only in letter case: (earlier, later) pairs
    // by the later one's number, each name once.
    std::vector<std::pair<int, int>> caseTwins() const;

    void setArtist(int k, const QString& artist) { record(k).artist = artist; }
    void setGenre(int k, const QString& genre) { record(k).genre = genre; }
    void setRating(int k, const QString& rating) { record(k).rating = rating; }

private:
    TitleRecord& record(int k) { return m_records[static_cast<size_t>(k - 1)]; }

    std::vector<TitleRecord> m_records;
    QHash<QString, int> m_firstByName;
    QHash<QString, int> m_firstByFoldedName;
};

// The record as the title file holds it: seven fields in double quotes, CR LF.
QString TitleRecordText(const TitleRecord& record);

// Reads "データ.TXT" into table. A missing file is created empty, giving no titles.
void LoadTitleFile(DataFolder& folder, TitleTable* table);
// Begins reading "データ.TXT" into a table on a worker, for the LoadTitleFile that follows.
void ReadTitleFileAhead(DataFolder& folder);

// Rewrites "データ.TXT" whole from the records, in their order.
WriteResult SaveTitleFile(DataFolder& folder, const std::vector<TitleRecord>& records);
inline WriteResult SaveTitleFile(DataFolder& folder, const TitleTable& table)
{
    return SaveTitleFile(folder, table.records());
}
// The whole "データ.TXT" made from the records, to be written in one DataFolder::write
// with other files. Nothing, with *refused set, when a field holds a double quote.
std::optional<DataFolder::Change> TitleFileChange(const std::vector<TitleRecord>& records, WriteResult* refused);

// The change that adds titles to "データ.TXT", loaded into loaded: an append, or the
// whole file when it was found cut short within a record. Nothing, with *refused set,
// when a field holds a double quote.
std::optional<DataFolder::Change> TitleAddition(DataFolder& folder, const TitleTable& loaded,
                                                const std::vector<TitleRecord>& records, WriteResult* refused);

// Adds one title at the end of "データ.TXT", loaded into table. A file that was found
// cut short within a record is written whole instead, so the new title stays its own.
WriteResult AppendTitle(DataFolder& folder, const TitleTable& loaded, const TitleRecord& record);
