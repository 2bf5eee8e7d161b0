#pragma once

#include <QString>

// The fixed names of the collection's files, spelt as the program creates them.
namespace files {

inline const QString kTitles = QStringLiteral("データ.TXT");
inline const QString kTracks = QStringLiteral("曲目データ.TXT");
inline const QString kSettings = QStringLiteral("設定.TXT");
inline const QString kNoPicture = QStringLiteral("NOPIC.JPG");
inline const QString kTrackListPrefix = QStringLiteral("曲目_");
inline const QString kTrackListPattern = QStringLiteral("曲目_*.txt");
inline const QString kLyricsPrefix = QStringLiteral("歌詞_");
// A deleted title's own files go into a folder "削除済み_yyyyMMdd_HHmmss", with its
// record as the title file held it, under a name no title's file can have (a title owns
// its ".txt" in any case and its pictures).
inline const QString kDeletedPrefix = QStringLiteral("削除済み_");
inline const QString kDeletedRecord = QStringLiteral("削除したタイトル.csv");
// What a reset deletes and empties goes first into a folder "初期化前_yyyyMMdd_HHmmss".
inline const QString kResetPrefix = QStringLiteral("初期化前_");
// The collection's main files as they were before each day's first change, one folder
// "履歴/yyyyMMdd" a day; a folder, so that no title's file can take its name.
inline const QString kHistoryFolder = QStringLiteral("履歴");
// What a restore replaces goes first into a folder "戻す前_yyyyMMdd_HHmmss".
inline const QString kRestorePrefix = QStringLiteral("戻す前_");

// The track list of a title: "曲目_" + title name + ".txt".
inline QString trackListFile(const QString& titleName)
{
    return kTrackListPrefix + titleName + QStringLiteral(".txt");
}

} // namespace files
