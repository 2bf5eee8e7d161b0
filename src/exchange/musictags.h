#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// What the tags of one music file say, read with TagLib (no audio is decoded). Text of
// ID3 frames kept as Latin-1 is often Shift-JIS in the wild; it is decoded by
// tagTextOfLatin1 below, so a Japanese tag never reaches the screen as mojibake.
struct MusicFile {
    QString path;
    QString folder;   // the folder that holds it
    QString fileName;
    QString album;
    QString albumArtist;
    QString artist;
    QString title;
    QString genre;
    QString date;
    QString lyrics;
    int disc = 0;
    int track = 0;
    // The embedded picture (the front cover when several are held), as stored.
    QByteArray cover;
    // The sort tags (ID3v2 TSOA, TSO2, TSOP, TSOT; MP4 soal, soaa, soar, sonm; Vorbis
    // ALBUMSORT, ALBUMARTISTSORT, ARTISTSORT, TITLESORT): often the kana reading of a
    // Japanese name.
    QString albumSort;
    QString albumArtistSort;
    QString artistSort;
    QString titleSort;
};

// A file or folder a scan met and could not read, with the reason as the panel says it.
struct Unreadable {
    QString path;
    QString reason;
};

namespace musictags {

// The file kinds read: MP3, FLAC, Ogg Vorbis, Opus, M4A/MP4, WAV and AIFF.
bool isMusicFileName(QStringView fileName);

// The text of bytes a tag keeps as Latin-1: their CP932 reading when that reads as
// Japanese, else Windows-1252 (Latin-1 with curly quotes, dashes, … and € at
// 0x80-0x9F). Plausible Latin-1 ("Beyoncé", "Motörhead", "Canção": no byte 0x80-0x9F,
// no run of two or more letters beyond ASCII standing apart from ASCII letters) is
// never taken for CP932. The CP932 reading reads as Japanese when it is whole (a lead
// byte cut off at the end, as an ID3v1 field cuts a character, is dropped), holds a
// kana or kanji, and has no two-byte character alone among ASCII letters that only a
// Windows-1252 punctuation byte beside a letter makes ("Don’t" is no "Don稚"). Only
// fields an ID3 tag stores as Latin-1 are read so; Unicode frames are taken as they are.
QString tagTextOfLatin1(QByteArrayView bytes);

// Reads the tags of one file, or nothing when it is no music file TagLib can read, with
// *reason (if given) saying why. The file is opened once, read-only and without
// waiting, and read only when it is a regular file (a FIFO or a device under a music
// file's name is never read); a file with neither sound nor tags (a text file under a
// music file's name, a file cut before its first frame) is no music. The embedded
// picture is taken too when wantCover, given, says so of the tags read. stop, given, is
// asked before each block TagLib reads; once it says true the file reads as nothing
// and *reason is left empty.
std::optional<MusicFile> readMusicFile(const QString& path,
                                       const std::function<bool(const MusicFile&)>& wantCover = {},
                                       QString* reason = nullptr, const std::function<bool()>& stop = {});

// The music files below folder, each folder's files by name before its subfolders. A
// link to a folder is followed unless that folder was already read (a link back up the
// tree leads nowhere new). goOn(folder) is asked before each folder is read; false
// stops the listing, which gives what it has. What cannot be read (a folder without
// permission, a link that leads nowhere, a FIFO or a device under a music file's name)
// is added to *unreadable, if given.
QStringList musicFilesBelow(const QString& folder, const std::function<bool(const QString&)>& goOn,
                            std::vector<Unreadable>* unreadable = nullptr);

// The picture a folder holds for its album: cover.jpg, folder.jpg or front.jpg (any
// letter case), the first regular file found of at most kLargestCover bytes (read
// without waiting; a link to a device or a FIFO under the name is passed over); empty
// when none. A picture that cannot be read is added to *unreadable, if given.
QByteArray folderCover(const QString& folder, std::vector<Unreadable>* unreadable = nullptr);

// A picture larger than this is no cover.
inline constexpr qint64 kLargestCover = 32 * 1024 * 1024;

} // namespace musictags
