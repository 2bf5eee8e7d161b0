#pragma once

#include <QString>

class ReadingTable;

// A collection at the design maximum written into folder: 32,766 titles and 32,766
// songs with names and memos of realistic length in Japanese.
namespace bench {
constexpr int kMaxRecords = 32766;
constexpr int kMaxLyricsFiles = 20000;
constexpr int kMaxCovers = 10000;
void writeLargeCollection(const QString& folder, int titles = kMaxRecords, int songs = kMaxRecords);
// The files beside such a collection: the four person-name masters, a track list for
// every title, lyrics files and a small cover for each of the first covers titles.
void writeCollectionFiles(const QString& folder, int titles = kMaxRecords, int lyrics = kMaxLyricsFiles,
                          int covers = kMaxCovers);
// Readings in katakana for every title and song of such a collection and for 10,000
// artists, its 900 among them.
void giveReadings(ReadingTable& readings, int titles = kMaxRecords, int songs = kMaxRecords, int artists = 10000);
}
