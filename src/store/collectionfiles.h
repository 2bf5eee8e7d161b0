#pragma once

#include <QString>

// The fixed names of the collection's files, spelt as the program creates them.
namespace files {

inline const QString kTitles = QStringLiteral("データ.TXT");
inline const QString kTracks = QStringLiteral("曲目データ.TXT");
inline const QString kSettings = QStringLiteral("設定.TXT");
inline const QString kNoPicture = QStringLiteral("NOPIC.JPG");
inline const QString kTrackListPrefix = QStringLiteral("曲目_");
inline const QString kLyricsPrefix = QStringLiteral("歌詞_");

// The track list of a title: "曲目_" + title name + ".txt".
inline QString trackListFile(const QString& titleName)
{
    return kTrackListPrefix + titleName + QStringLiteral(".txt");
}

} // namespace files
