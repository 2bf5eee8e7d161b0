#pragma once

#include "exchange/musictags.h"
#include "store/collectionnames.h"
#include "store/datafolder.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// How music files become titles, without a window: which files make one album, the
// title record, track list, songs and lyrics made from their tags, what keeps an album
// from being made, and the one write that makes a title whole or not at all.
namespace albumrules {

// The album a file belongs to: its album tag with its album artist, or with its folder
// when no album artist is given; the folder alone when the album tag is missing.
QString albumKey(const MusicFile& file);

// The date of a title from a date tag, as much as the tag says in the stored form:
// "yyyy/MM/dd" from a full date, "yyyy/MM" from a year and month, "yyyy" from a year
// alone (a day or month that cannot be is left out); without a date, today's date, as
// a new title gets it.
QString titleDate(const QString& tagDate, const QDate& today);

// A song name as the track list can hold it: control characters made blanks, the
// blanks at both ends removed, each of \ / : , ; * ? " < > | made its full-width form
// (／ for /). keepSlash keeps "/" (the artist after the "/" of a compilation's line).
// *replaced (if given) is set when a character was replaced.
QString songName(const QString& tag, bool keepSlash = false, bool* replaced = nullptr);

// The artist names that mean a compilation rather than one artist.
bool isVariousArtists(const QString& name);

// The extension a cover is kept under, by its first bytes: ".jpg", ".gif" or ".bmp";
// empty for any other kind of picture.
QString coverExtension(QByteArrayView bytes);

struct Track {
    QString song;
    QString artist; // the song's own artist (the title's, unless a compilation)
    QString lyrics;
    QString reading; // of the song's name, from its sort tag; empty when none
};

// The character that stands in for one the files cannot hold.
inline constexpr char16_t kStandIn = u'〓';
// Replaces each character of the track's song name, and of its artist, that CP932 cannot
// hold by 〓, noting for each the track's number, its name as tagged and the character
// with its code point.
void standIn(Track* track, int number, QStringList* notes);

// One album found, as the title it would make.
struct PlannedTitle {
    QString key;
    TitleRecord record;
    std::vector<Track> tracks;
    QString folder;  // of its first file
    bool hasCover = false;
    int lyricsCount = 0;
    // The readings of its name and of its artist that the files' sort tags give (kana
    // only: a Latin sort tag says nothing of a Japanese name); empty when none.
    QString reading;
    QString artistReading;
    // What keeps it from being made ("登録済み", a name refused…); none when it can be.
    QStringList problems;
    // What was changed on the way in (characters replaced in song names).
    QStringList notes;
    // Set when the album is one met before in the same scan (the same name, artist
    // and songs, as an MP3 and a FLAC rip of one album): the name of the title the
    // first makes. Such an album has the problem "重複".
    QString duplicateOf;
    // The characters of its song names that the files cannot hold, each already replaced
    // by 〓 in tracks, told by song and code ("2曲目「Guitar 🎸」の「🎸」（U+1F3B8）"): the
    // album is made only when the user chooses it.
    QStringList standIns;

    bool compilation() const { return record.artist == collection::kCompilationArtist; }
    // The track list file's lines.
    QStringList lines() const;
};

// The titles the files make, in the order their albums are first met, each album's
// tracks by disc, track number and file name. covered: the keys of the albums that have
// a cover. Two albums of one name (by different artists) are told apart by the artist
// in brackets after the name of the second: "名前（アーティスト）"; so is an album named
// as a title of the collection by another artist. Of the same artist it is that title.
// An album of the same name, artist and songs as one before it is that album again:
// listed under its name and not made (see PlannedTitle::duplicateOf).
std::vector<PlannedTitle> planTitles(const std::vector<MusicFile>& files, const QSet<QString>& covered,
                                     const TitleTable& titles, const QDate& today);

// The most records the title file and the song file can hold, and the most lines of a
// track list: the Windows program counts them in 16 bits.
inline constexpr int kMostRecords = 32766;

// The files a planned title writes under its own name: its track list and, with cover
// bytes, its picture.
QStringList ownFiles(const PlannedTitle& title, const QByteArray& cover);

// Whether a title can be written as the folder and the collection stand now: refusal
// says why not; replaced names the files of its own (as spelt on disk) that writing it
// would replace, which the user must agree to.
struct TitleCheck {
    QString refusal;
    QStringList replaced;
    bool ok() const { return refusal.isEmpty(); }
};
// Checks the titles in order, each as if those before it that pass were made: its name
// is no title's (in any letter case), no file it would write is a link or other than a
// file, its texts can be stored, and the collection stays within kMostRecords titles
// and songs. covers as writeTitles takes them. Touches the folder only to look.
std::vector<TitleCheck> checkTitles(const DataFolder& folder, const TitleTable& titles, const TrackTable& tracks,
                                    const std::vector<const PlannedTitle*>& planned,
                                    const std::vector<QByteArray>& covers);

// Makes the titles, each with its record, track list, new songs, lyrics files (a
// lyrics file that exists is kept, and a link is never written through) and its cover
// from covers (empty for none), and adds their artists and genres new to the artist and
// genre masters, and the readings their sort tags gave to the names that have none yet
// to the readings file, in one write of the data folder: all of them or nothing. added holds
// the songs added earlier in the same run (the tables are not reloaded in between) and
// receives these.
WriteResult writeTitles(DataFolder& folder, const TitleTable& loaded, const TrackTable& tracks,
                        QSet<std::pair<QString, QString>>* added, const std::vector<const PlannedTitle*>& titles,
                        const std::vector<QByteArray>& covers);

} // namespace albumrules
