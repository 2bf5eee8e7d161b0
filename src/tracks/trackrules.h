#pragma once

#include "store/tracktable.h"

#include <QString>
#include <QStringList>

#include <vector>

// The rules of the track list that need no window: cutting a pasted list into songs,
// the compilation form "song/artist", and which songs are new to the track data.
namespace trackrules {

// The cut character: the first character of the cut box's text (empty for an empty text).
QString cutCharacter(QStringView cutBoxText);

// One line cut: everything up to and including the first cut character goes (an empty
// cut character counts as found at the first position), then the half-width blanks at
// both ends. Tabs and ideographic spaces stay, as they did on Windows.
QString cutLine(QStringView line, QStringView cut);

// The lines of a confirmed memo cut with cut. The lines the memo was filled with when it
// was opened (kept, each as often as it stands there) were cut when they were entered:
// while cut is still the cut they were filled in with (keptCut), such a line that is
// still there unchanged stays whole, so that "Mr.Children" or "innocent world/Mr.Children"
// is not taken apart again. A cut chosen by the user cuts every line.
QStringList cutLines(const QStringList& lines, QStringView cut, const QStringList& kept, QStringView keptCut);

// The lines of a memo: each line end ends a line, so blank lines are empty lines; a
// last line without its line end is a line too.
QStringList memoLines(QStringView memo);

// A track of a title, as the grid shows it: for a compilation the song and artist of
// "song/artist" (the first "/" separates them; without one the artist is "未登録").
struct Track {
    QString song;
    QString artist;
};
Track compilationTrack(const QString& line);
std::vector<Track> tracksOfLines(const QStringList& lines, bool compilation);

// The track number as the grid shows it: at least two digits.
QString trackNumber(int r);

// The memo text that reopens a list: one line per track, "song/artist" for a compilation.
QString memoOfTracks(const std::vector<Track>& tracks, bool compilation);

// The songs to add to the track data: every track whose (song, artist) pair is not in
// table, in track order; a pair twice in the list is added once, an empty song never.
std::vector<TrackRecord> newTrackRecords(const std::vector<Track>& tracks, bool compilation,
                                         const QString& titleArtist, const TrackTable& table);

// The artist name list: "/" + artist for every artist of the table, in table order,
// leaving out a name found anywhere in the list so far.
QString artistNameList(const TrackTable& table);

} // namespace trackrules
