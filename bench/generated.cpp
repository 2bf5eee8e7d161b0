#include "generated.h"

#include "store/cp932.h"
#include "store/datafolder.h"
#include "store/readings.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

QString titleName(int i)
{
    return u"夜明けのアルバム第%1集"_s.arg(i);
}

void put(const QDir& dir, const QString& name, const QString& text)
{
    QFile file(dir.filePath(name));
    QByteArray bytes;
    if (!file.open(QIODevice::WriteOnly) || !cp932::encode(text, &bytes) || file.write(bytes) != bytes.size())
        std::abort();
}

// A number read out in kana, a syllable per digit.
QString kanaOf(int n)
{
    static const QString syllables = u"アイウエオカキクケコ"_s;
    QString kana;
    for (const QChar digit : QString::number(n))
        kana += syllables[digit.digitValue()];
    return kana;
}

} // namespace

void bench::giveReadings(ReadingTable& readings, int titles, int songs, int artists)
{
    for (int i = 0; i < artists; ++i)
        readings.set(ReadingKind::Artist, u"架空の歌手%1"_s.arg(i), u"カクウノカシュ"_s + kanaOf(i));
    for (int i = 1; i <= titles; ++i)
        readings.set(ReadingKind::Title, titleName(i), u"ヨアケノアルバムダイ"_s + kanaOf(i) + u"シュウ"_s);
    for (int i = 1; i <= songs; ++i)
        readings.set(ReadingKind::Song, u"ひかりの向こう側へ%1"_s.arg(i), u"ヒカリノムコウガワヘ"_s + kanaOf(i));
}

void bench::writeLargeCollection(const QString& path, int titles, int songs)
{
    DataFolder folder(path);
    std::vector<TitleRecord> titleRecords;
    titleRecords.reserve(static_cast<size_t>(titles));
    const QString ratings[] = {u"◎"_s, u"○"_s, u"△"_s, u"未"_s};
    for (int i = 1; i <= titles; ++i) {
        titleRecords.push_back({titleName(i), u"架空の歌手%1"_s.arg(i % 900),
                                u"J-POP"_s, ratings[i % 4], u"CD"_s, u"2026/12/07"_s,
                                u"初回盤,ブックレット付き。メモ%1"_s.arg(i)});
    }
    std::vector<TrackRecord> trackRecords;
    trackRecords.reserve(static_cast<size_t>(songs));
    for (int i = 1; i <= songs; ++i) {
        trackRecords.push_back({u"ひかりの向こう側へ%1"_s.arg(i), u"架空の歌手%1"_s.arg(i % 900),
                                u"バラード"_s, u"作詞者%1"_s.arg(i % 50), u"作曲者%1"_s.arg(i % 70), {}, {}});
    }
    if (!SaveTitleFile(folder, titleRecords).ok() || !SaveTrackTable(folder, trackRecords).ok())
        std::abort();
}

void bench::writeCollectionFiles(const QString& path, int titles, int lyrics, int covers)
{
    const QDir dir(path);
    for (const QString& master : {u"歌手マスタ.txt"_s, u"作詞マスタ.txt"_s, u"作曲マスタ.txt"_s, u"編曲マスタ.txt"_s})
        put(dir, master, u"架空の人1\r\n架空の人2\r\n"_s);
    for (int i = 1; i <= titles; ++i)
        put(dir, u"曲目_"_s + titleName(i) + u".txt"_s, u"ひかりの向こう側へ%1\r\n夜の歌\r\n"_s.arg(i));
    for (int i = 1; i <= lyrics; ++i)
        put(dir, u"歌詞_ひかりの向こう側へ%1_架空の歌手%2.txt"_s.arg(i).arg(i % 900), u"一番の歌詞\r\n二番の歌詞\r\n"_s);
    for (int i = 1; i <= covers; ++i)
        put(dir, titleName(i) + u".jpg"_s, u"JFIF"_s);
}
