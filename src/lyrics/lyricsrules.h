#pragma once

#include <QString>

#include <utility>

// The lyrics file of a song and its text, without a window.
namespace lyricsrules {

// Song and artist read back from a lyrics file name (made by namerules::lyricsFileName):
// the first "_" after "歌詞_" separates them (so a song name holding "_" splits there).
std::pair<QString, QString> splitLyricsFileName(const QString& fileName);

// The file holds the text followed by one CR LF; reading removes that last CR LF, so
// the text reads back as it was saved. Texts in the box have LF line ends.
QString fileTextOfLyrics(const QString& boxText);
QString lyricsOfFileText(const QString& fileText);

} // namespace lyricsrules
