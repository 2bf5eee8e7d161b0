#include "generated.h"

#include "store/datafolder.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

void bench::writeLargeCollection(const QString& path, int titles, int songs)
{
    DataFolder folder(path);
    std::vector<TitleRecord> titleRecords;
    titleRecords.reserve(static_cast<size_t>(titles));
    const QString ratings[] = {u"◎"_s, u"○"_s, u"△"_s, u"未"_s};
    for (int i = 1; i <= titles; ++i) {
        titleRecords.push_back({u"夜明けのアルバム第%1集"_s.arg(i), u"架空の歌手%1"_s.arg(i % 900),
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
