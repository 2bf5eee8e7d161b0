#pragma once

#include "store/regularfile.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QFuture>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class DataFolder;

// The rules of the title list and the song list that need no window: what a grid row
// holds, the hidden key that gives the main order back, the shared sort toggle, and
// which title holds a song.
namespace listrules {

// The columns of the title grid: the seven fields of a title in file order, then the key.
namespace titlecol {
constexpr int kName = 0;
constexpr int kArtist = 1;
constexpr int kGenre = 2;
constexpr int kMedia = 4;
constexpr int kDate = 5;
constexpr int kMemo = 6;
constexpr int kOrderKey = 7;
constexpr int kCount = 8;
} // namespace titlecol

// The columns of the song grid: the six fields a song shows, the lyrics mark, the
// reserved fields (only the last can hold anything), then the key.
namespace songcol {
constexpr int kName = 0;
constexpr int kArtist = 1;
constexpr int kGenre = 2;
constexpr int kLyricist = 3;
constexpr int kComposer = 4;
constexpr int kArranger = 5;
constexpr int kLyrics = 6;
constexpr int kReserved = 12;
constexpr int kOrderKey = 13;
constexpr int kCount = 14;
} // namespace songcol

// A row's place in the main order when the grid was filled, zero-padded to four digits
// for titles and five for songs (longer numbers keep all their digits). The key column
// is sorted as numbers, so it gives the order back at any size.
QString titleOrderKey(int position);
QString songOrderKey(int position);

// The rows of a list grid in main order, from their order keys (row r's key at r - 1):
// an edit saved from a list sorted otherwise leaves the order of the file as it was.
std::vector<int> rowsInKeyOrder(const QStringList& keys);

// A click on a sort button: ascending while the toggle is off, descending while it is
// on; the toggle flips. One toggle serves all the buttons of a grid.
Qt::SortOrder nextSortOrder(bool* toggle);

QStringList titleRow(const TitleRecord& title, int position);
TitleRecord titleOfRow(const QStringList& row);
QStringList songRow(const TrackRecord& song, int position, bool hasLyrics);
TrackRecord songOfRow(const QStringList& row);

// Whether a title's track list (its lines as stored) holds the song of artist. A line of
// a plain title is one whole song, whoever the title's artist is now (a list entered
// before the artist was set holds songs of "未登録"). A compilation's line is cut at its
// first "/" into song and artist as the track grid shows it: it holds the song of the
// artist it names, and a line naming no artist holds the song whoever sings it. A name
// that merely contains the song, or the artist part of a line, holds nothing.
bool trackListHolds(const QStringList& lines, bool compilation, const QString& song, const QString& artist);

// Whether the track list file fileName, of a title by titleArtist, holds the song of
// artist. A file that cannot be read holds nothing.
bool trackListFileHolds(DataFolder& folder, const QString& fileName, const QString& titleArtist,
                        const QString& song, const QString& artist);

// The track list files of the data folder, indexed by the songs their lines can hold (a
// whole line, and the part before the first "/"), so that finding the titles of a song
// reads only the few lists that may hold it instead of every one. Read whole at the first
// look-up and kept for the run: each look-up first reads again the lists the program
// wrote or deleted since, and all of them when something else changed the folder. A list
// another program rewrote in place leaves the folder as it was: each readAhead() looks
// again at the size and time of every list, and the next look-up reads those changed.
class TrackListIndex {
public:
    explicit TrackListIndex(DataFolder& folder);
    ~TrackListIndex();

    // The listed files, in listing order, that may hold song: the rule still has to be
    // applied to what each holds now.
    QStringList filesMayHold(const QString& song);
    // Starts reading every track list on the machine's cores while the screen goes on,
    // when they have not been read yet: the first look-up waits only for what is left.
    // Once read, starts looking for lists rewritten in place instead.
    void readAhead();

private:
    struct Reading;
    void update();
    // Starts reading the files, for enter().
    std::unique_ptr<Reading> startReading(const QStringList& files);
    // Enters the songs of the files read that could be read, but for those in skip.
    void enter(Reading& reading, const QSet<QString>& skip = {});

    DataFolder& m_folder;
    std::unique_ptr<Reading> m_ahead; // the reading readAhead() began
    std::optional<quint64> m_aheadMark; // the listing's mark when it began
    std::optional<quint64> m_mark; // the listing's mark when the lists were last brought up to date
    QStringList m_files;           // by number; a file read again gets a new number, its old one a null name
    std::vector<std::optional<FileStamp>> m_stamps; // by number, as each file was read
    QFuture<QStringList> m_rewritten; // the lists readAhead() found rewritten in place
    QHash<QString, int> m_numberOf;
    // (hash of a song a line can hold, file number), sorted.
    std::vector<std::pair<size_t, int>> m_songs;
};

// "曲目_" + title name + ".txt" read back: the title name.
QString titleOfTrackListFile(const QString& fileName);

// The first title in main order whose track list holds the song of artist, or 0.
int titleHoldingSong(DataFolder& folder, TrackListIndex& lists, const TitleTable& titles, const QString& song,
                     const QString& artist);

} // namespace listrules
