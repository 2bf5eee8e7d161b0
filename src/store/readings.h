#pragma once

#include "datafolder.h"
#include "japanese.h"
#include "storeerror.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

// The readings (読み) of names, kept in the data folder in "読みデータ.DAT": one record per
// name of three fields, its kind (歌手, タイトル, 曲), the name, and its reading in
// full-width katakana, in the field-record form of the other files.
//
// The name is one no title can take: every file a title owns, and that deleting a title
// removes, ends in .TXT, .txt, .jpg, .gif or .bmp (in any letter case: its own text file,
// its pictures, "曲目_<name>.txt"), and a name with dots only lengthens the part before
// that ending. ".DAT" is no such ending, so no title's files are ever this one. The
// other program reading the folder knows nothing of it and leaves it alone.
namespace readingfile {
inline const QString kName = QStringLiteral("読みデータ.DAT");
}

enum class ReadingKind { Artist, Title, Song };

struct ReadingRecord {
    ReadingKind kind = ReadingKind::Artist;
    QString name;
    QString reading;

    friend bool operator==(const ReadingRecord&, const ReadingRecord&) = default;
};

// Why a reading cannot be kept for a name: the reading's characters, or a name the file
// cannot hold.
struct ReadingSetRefusal {
    QString message;
    QString title;
};

// The readings of the collection's names, in the order of the file; one per kind and name.
class ReadingTable {
public:
    ReadingTable() = default;

    int count() const { return static_cast<int>(m_records.size()); }
    const std::vector<ReadingRecord>& records() const { return m_records; }

    // The stored reading of name, or an empty string.
    QString reading(ReadingKind kind, const QString& name) const;

    // Keeps typed (brought to reading form first) as the reading of name, replacing the
    // one it had; an empty reading removes it. A reading of other characters than kana,
    // and a name with a character CP932 lacks, a double quote or a line break, are
    // refused and change nothing.
    std::optional<ReadingSetRefusal> set(ReadingKind kind, const QString& name, const QString& typed);
    void remove(ReadingKind kind, const QString& name);
    // The reading of from goes to to (a renamed title or artist); one to already had is
    // kept over it.
    void rename(ReadingKind kind, const QString& from, const QString& to);
    // Drops the readings whose names are no longer in the collection; gives how many.
    int prune(const QSet<QString>& artists, const QSet<QString>& titles, const QSet<QString>& songs);

    // Adds a record read from the file as it stands; false when its name already has one.
    bool addRead(ReadingRecord record);

private:
    static QString keyOf(ReadingKind kind, const QString& name);
    void reindex();

    std::vector<ReadingRecord> m_records;
    QHash<QString, int> m_index; // kind and name → place in m_records
};

// The word a kind is written as in the file.
QString readingKindWord(ReadingKind kind);

// Reads "読みデータ.DAT" into table; a missing file gives no readings. A record whose kind
// is not known, whose name is empty or given twice, or whose reading is not in reading
// form is passed over and told with its line, as damage is in the other files.
void LoadReadingFile(DataFolder& folder, ReadingTable* table);
// Begins reading the file on a worker, for the LoadReadingFile that follows.
void ReadReadingFileAhead(DataFolder& folder);

// The whole file made from table, to be written in one DataFolder::write with the other
// files of the same change (a renamed title and its reading). Nothing, with *refused
// set, when a name cannot be written.
std::optional<DataFolder::Change> ReadingFileChange(const ReadingTable& table, WriteResult* refused);
// Rewrites "読みデータ.DAT" whole from table.
WriteResult SaveReadingFile(DataFolder& folder, const ReadingTable& table);
