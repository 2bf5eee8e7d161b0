#pragma once

#include <QString>

#include <utility>

// The lyrics file of a song and its text, without a window.
namespace lyricsrules {

// "歌詞_" + song + "_" + artist + ".txt"
QString lyricsFileName(const QString& song, const QString& artist);

// Song and artist read back from a lyrics file name: the first "_" after "歌詞_"
// separates them (so a song name holding "_" splits there).
std::pair<QString, QString> splitLyricsFileName(const QString& fileName);

// Why song and artist cannot make a lyrics file name on every system the collection
// may be kept on (a character such as "/" or ":", or a name too long), or empty.
QString unusableInFileName(const QString& song, const QString& artist);

// The file holds the text followed by one CR LF; reading removes that last CR LF, so
// the text reads back as it was saved. Texts in the box have LF line ends.
QString fileTextOfLyrics(const QString& boxText);
QString lyricsOfFileText(const QString& fileText);

} // namespace lyricsrules
