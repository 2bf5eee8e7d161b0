#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class DataFolder;
class FileListing;
class TitleTable;
class TrackTable;

class FuzzyNameQuery;

namespace listrules {
class TrackListIndex;
}

// The rules of the title search and the song search that need no window: which titles
// and songs a choice or a key finds, the rows of the song search's result grid, and the
// titles whose track lists hold a song. Every comparison is exact: letter case, full and
// half width, hiragana and katakana are never folded.
namespace searchrules {

// A choice finds the fields equal to it; a key finds the fields that contain it.
enum class Match { Equals, Contains };

enum class TitleField { Name, Artist, Genre, Rating, Media, Date, Memo };
enum class SongField { Name, Artist, Genre, Lyricist, Composer, Arranger };

// The result count over both result lists: "検索件数　N件".
QString resultCount(int found);

// The names of the titles whose field matches value, in main order.
QStringList titlesWhere(const TitleTable& titles, TitleField field, Match match, const QString& value);
// The names of the titles whose field the fuzzy query finds, in main order: a name by
// the title's reading too, an artist by the artist's, the other fields folded alone.
QStringList titlesFound(const TitleTable& titles, TitleField field, const FuzzyNameQuery& query);

// The columns of the song search's result grid.
namespace foundcol {
constexpr int kName = 0;
constexpr int kLyrics = 1;
constexpr int kArtist = 2; // hidden
constexpr int kCount = 3;
} // namespace foundcol

QStringList foundSongRow(const QString& song, const QString& artist, bool hasLyrics = false);

// The rows of the songs whose field matches value, in track data order, unmarked.
std::vector<QStringList> songsWhere(const TrackTable& tracks, SongField field, Match match, const QString& value);
// The rows of the songs whose field the fuzzy query finds, in track data order: a song
// name by the song's reading too, an artist by the artist's, the others folded alone.
std::vector<QStringList> songsFound(const TrackTable& tracks, SongField field, const FuzzyNameQuery& query);

// Marks "○" the rows whose song has a lyrics file in the listing; other rows keep
// their mark cell as it is.
void MarkSongsWithLyrics(std::vector<QStringList>& rows, const FileListing& lyrics);

// The songs of the track data that have a lyrics file (present) or have none, marked.
std::vector<QStringList> songsByLyrics(const TrackTable& tracks, const FileListing& lyrics, bool present);

// Whether the text of a lyrics file holds key within one of its lines: the same test as
// looking for key in the lyrics box showing that file (a key is one line of text).
bool lyricsHold(QStringView fileText, QStringView key);

// One row per listed lyrics file that holds key, in listing order, its song and artist
// read from the file name (see lyricsrules::songOfLyricsFile). A file that cannot be
// read any more, or whose name names no song, is passed over.
std::vector<QStringList> songsWithLyricsHolding(DataFolder& folder, const FileListing& lyrics,
                                                const TrackTable& tracks, const QString& key);

// The titles whose track lists hold the song of artist (listrules::trackListHolds), in
// the order of the lists, each once; lists is an index of the track list files listed.
// A file named after a title in other letter case gives that title's own name; files of
// titles that are gone, and files that cannot be read any more, are passed over.
QStringList titlesHoldingSong(DataFolder& folder, listrules::TrackListIndex& lists, const TitleTable& titles,
                              const QString& song, const QString& artist);

} // namespace searchrules
