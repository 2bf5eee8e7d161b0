#pragma once

#include <QString>

#include <optional>
#include <utility>

class TrackTable;

// The lyrics file of a song and its text, without a window.
namespace lyricsrules {

// Song and artist read back from a lyrics file name (made by namerules::lyricsFileName):
// the first "_" after "歌詞_" separates them (so a song name holding "_" splits there).
std::pair<QString, QString> splitLyricsFileName(const QString& fileName);

// The song a listed lyrics file belongs to. A file name is split at one of its "_": the
// first split whose (song, artist) pair is in the track data, so that song "A_B" by "C"
// reads back from "歌詞_A_B_C.txt" as itself; else the first "_". A pair matches as its
// names stand in the file name, so "AC/DC" reads back from "歌詞_X_AC／DC.txt". Nothing
// when the name has no "_" after "歌詞_" (not a file the program wrote).
std::optional<std::pair<QString, QString>> songOfLyricsFile(const QString& fileName, const TrackTable& tracks);

// The occurrences of key in text, counted from the start without overlap.
int countHits(QStringView text, QStringView key);

// The name offered for the PDF of a song's lyrics: "song（artist）.pdf", with the
// characters a file name cannot hold made "_"; "歌詞.pdf" when there is no song.
QString pdfFileName(const QString& song, const QString& artist);

// The file holds the text followed by one CR LF; reading removes that last CR LF, so
// the text reads back as it was saved. Texts in the box have LF line ends.
QString fileTextOfLyrics(const QString& boxText);
QString lyricsOfFileText(const QString& fileText);

} // namespace lyricsrules
