#pragma once

#include "storeerror.h"

#include <QString>
#include <QStringList>

#include <optional>

// The names that become parts of file names: a title's name (its track list and its
// pictures) and a song's and its artist's (the song's lyrics file). What each may hold
// and the file names made from them live here, so every screen that takes such a name
// applies the same rules.
namespace namerules {

// Why a name cannot be used, and the box that tells the user.
struct NameRefusal {
    enum class Reason { ForbiddenCharacter, ControlCharacter, Unstorable, NotOnWindows, TooLong };

    Reason reason = Reason::ForbiddenCharacter;
    QString character; // the character refused, where there is one
    QString message;
    QString title;
};

// A song or artist name as it stands in a lyrics file name: each character a file name
// cannot hold (\ / : * ? " < > |) in its full-width form (／ for /), so that every
// name that can be entered can have lyrics. The name shown stays as typed.
QString lyricsNamePart(const QString& name);

// "歌詞_" + song + "_" + artist + ".txt", the two names as lyricsNamePart() gives them.
QString lyricsFileName(const QString& song, const QString& artist);

// A title's pictures in the order they are looked for: name + ".jpg", ".gif", ".bmp".
QStringList pictureFileNames(const QString& titleName);

// Whether a file name fits every system the collection may be kept on: at most 255
// UTF-16 units (Windows) and 255 UTF-8 bytes (Linux).
bool fitsFileName(QStringView fileName);

// A new title's name: none of \ / : , ; * ? " < > | (told as one rule), no control
// character, no character CP932 lacks, not a name Windows keeps for a device (CON, PRN,
// AUX, NUL, COM1-COM9, LPT1-LPT9, in any letter case, alone or before an extension, as
// its pictures would be "CON.jpg") and no "." or space at its end (which Windows drops),
// and the longest file name made from it, its track list's, must fit. Song and artist
// names need neither of the last two rules: they stand only inside "歌詞_…_….txt".
std::optional<NameRefusal> titleNameRefusal(QStringView name);

// A track list about to be confirmed: the first of \ : , ; * ? " < > | and then "/"
// (which parts song and artist on a compilation's lines) that it holds, one at a time;
// then a character CP932 lacks.
std::optional<NameRefusal> trackListRefusal(QStringView list, bool compilation);

// The song and artist of a lyrics file: no control character, and the file name must
// fit.
std::optional<NameRefusal> lyricsNameRefusal(const QString& song, const QString& artist);

} // namespace namerules
