#pragma once

#include "exchange/albumrules.h"
#include "store/cp932.h"
#include "store/masterlist.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// What the crash writer puts into a data folder, as a function of a seed alone, so that
// the test that kills the writer knows every whole state a file can be in.
//
// Rewrites replace the title file with generation g (g = 1, 2, ...): three and a half
// to four and a half thousand titles, about 1 MB, the first of them named "第g世代の1番".
// Whole states: the empty file the first start creates, or exactly generation g.
//
// Appends add entry i (i = 1, 2, ...) to one of three files in turn: a title of 50 B to
// 6 KB to the title file, 200 songs to the track file, a name to the artist master.
// Whole states: exactly entries 1..k of each file (k = 0: empty or not yet there).
namespace crash {

inline constexpr int kSongsPerEntry = 200;
inline constexpr Master kMaster = Master::Artist;

// A well-spread 64-bit hash of the seed and up to two numbers (SplitMix64 finaliser).
inline quint64 mix(quint64 seed, quint64 a, quint64 b = 0)
{
    quint64 z = seed * 0x9E3779B97F4A7C15ull + a * 0xBF58476D1CE4E5B9ull + b * 0x94D049BB133111EBull + 1;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// length characters of a text that mixes one- and two-byte CP932 characters (and holds
// no comma or quote, which would end a field), starting at a point chosen by from.
inline QString filler(quint64 from, int length)
{
    using namespace Qt::Literals::StringLiterals;
    static const QString text = u"雨の日も晴れの日も歩いてきた道 Side-A ～ライブ録音～ 1990年 remaster "
                                u"初回限定盤・紙ジャケット仕様 ボーナストラック収録 ｶﾞｲﾄﾞ付き ＃８ "_s;
    QString out;
    out.reserve(length);
    qsizetype at = static_cast<qsizetype>(from % static_cast<quint64>(text.size()));
    while (out.size() < length) {
        const qsizetype take = qMin(text.size() - at, length - out.size());
        out += QStringView(text).mid(at, take);
        at = 0;
    }
    return out;
}

inline QStringList pick(quint64 h)
{
    using namespace Qt::Literals::StringLiterals;
    static const QStringList genres{u"J-POP"_s, u"ロック"_s, u"ジャズ"_s, u"演歌"_s, u"クラシック"_s, u"アニメ"_s};
    static const QStringList media{u"CD"_s, u"MD"_s, u"LP"_s, u"配信"_s};
    return {genres[static_cast<qsizetype>(h % 6)], media[static_cast<qsizetype>((h >> 8) % 4)]};
}

inline QString dateOf(quint64 h)
{
    using namespace Qt::Literals::StringLiterals;
    return u"%1/%2/%3"_s.arg(1970 + h % 55).arg((h >> 6) % 12 + 1, 2, 10, QChar(u'0')).arg((h >> 10) % 28 + 1, 2, 10, QChar(u'0'));
}

inline std::vector<TitleRecord> generation(quint64 seed, int g)
{
    using namespace Qt::Literals::StringLiterals;
    const int count = 3500 + static_cast<int>(mix(seed, 0x6E6, static_cast<quint64>(g)) % 1000);
    std::vector<TitleRecord> titles;
    titles.reserve(static_cast<size_t>(count));
    for (int j = 1; j <= count; ++j) {
        const quint64 h = mix(seed, static_cast<quint64>(g), static_cast<quint64>(j));
        const QStringList p = pick(h);
        titles.push_back({u"第%1世代の%2番"_s.arg(g).arg(j), u"歌手%1"_s.arg(h % 500), p[0],
                          QString::number((h >> 16) % 3), p[1], dateOf(h >> 20),
                          filler(h >> 32, static_cast<int>((h >> 24) % 180))});
    }
    return titles;
}

inline TitleRecord appendedTitle(quint64 seed, int i)
{
    using namespace Qt::Literals::StringLiterals;
    const quint64 h = mix(seed, 0x7171E, static_cast<quint64>(i));
    const QStringList p = pick(h);
    // The memo makes the record anything from about 50 bytes to about 6 KB.
    return {u"追加%1"_s.arg(i), u"歌手%1"_s.arg(h % 500), p[0], QString::number((h >> 16) % 3), p[1],
            dateOf(h >> 20), filler(h >> 32, static_cast<int>((h >> 24) % 3600))};
}

inline std::vector<TrackRecord> appendedSongs(quint64 seed, int i)
{
    using namespace Qt::Literals::StringLiterals;
    std::vector<TrackRecord> songs;
    songs.reserve(kSongsPerEntry);
    for (int j = 1; j <= kSongsPerEntry; ++j) {
        const quint64 h = mix(seed, static_cast<quint64>(i) << 8, static_cast<quint64>(j));
        songs.push_back({u"曲%1の%2"_s.arg(i).arg(j), u"歌手%1"_s.arg(h % 500), pick(h)[0],
                         u"作詞者%1"_s.arg((h >> 12) % 90), u"作曲者%1"_s.arg((h >> 20) % 90),
                         filler(h >> 28, static_cast<int>((h >> 40) % 24)), QString()});
    }
    return songs;
}

inline QString appendedName(quint64 seed, int i)
{
    using namespace Qt::Literals::StringLiterals;
    return u"名前%1 "_s.arg(i) + filler(mix(seed, 0x3A3E, static_cast<quint64>(i)), i % 13);
}

// The stored bytes, spelt out here rather than taken from the store's writer: every
// text field in double quotes, separated by commas, a record ended by CR LF; a line of
// a line list ended by CR LF; all in CP932.
inline QByteArray encoded(const QString& text)
{
    QByteArray out;
    cp932::encode(text, &out);
    return out;
}

inline QString recordLine(const QStringList& fields)
{
    using namespace Qt::Literals::StringLiterals;
    return u"\""_s + fields.join(u"\",\""_s) + u"\"\r\n"_s;
}

inline QString titleLine(const TitleRecord& t)
{
    return recordLine({t.name, t.artist, t.genre, t.rating, t.media, t.date, t.memo});
}

inline QByteArray generationBytes(quint64 seed, int g)
{
    QString text;
    for (const TitleRecord& t : generation(seed, g))
        text += titleLine(t);
    return encoded(text);
}

inline QByteArray appendedTitleBytes(quint64 seed, int i)
{
    return encoded(titleLine(appendedTitle(seed, i)));
}

inline QByteArray appendedSongsBytes(quint64 seed, int i)
{
    QString text;
    for (const TrackRecord& s : appendedSongs(seed, i)) {
        text += recordLine({s.name, s.artist, s.genre, s.lyricist, s.composer, s.arranger, QString(), QString(),
                            QString(), QString(), QString(), s.reserved});
    }
    return encoded(text);
}

inline QByteArray appendedNameBytes(quint64 seed, int i)
{
    using namespace Qt::Literals::StringLiterals;
    return encoded(appendedName(seed, i) + u"\r\n"_s);
}

// An import of several albums at once, each a title with its track list, new songs,
// lyrics for some of its songs and (for most) a cover. The same every time for a seed.
inline constexpr int kImportedAlbums = 6;

inline QByteArray coverOf(quint64 seed, const QString& name)
{
    // A JPEG's first bytes, then filler: the import keeps a cover's bytes as they are.
    QByteArray bytes("\xFF\xD8\xFF\xE0", 4);
    const quint64 h = mix(seed, static_cast<quint64>(qHash(name)));
    bytes += encoded(filler(h, 2000 + static_cast<int>(h % 4000)));
    return bytes;
}

inline std::vector<albumrules::PlannedTitle> importedAlbums(quint64 seed)
{
    using namespace Qt::Literals::StringLiterals;
    std::vector<albumrules::PlannedTitle> albums;
    for (int a = 1; a <= kImportedAlbums; ++a) {
        const quint64 h = mix(seed, 0xA1B, static_cast<quint64>(a));
        albumrules::PlannedTitle t;
        t.record = {u"取込アルバム%1"_s.arg(a), u"歌手%1"_s.arg(h % 4), pick(h)[0], u"0"_s, u"未入力"_s, dateOf(h >> 20), {}};
        t.key = t.record.name;
        t.hasCover = a % 3 != 0;
        // Readings from sort tags go into the readings file in the same write.
        t.reading = u"トリコミアルバム"_s;
        if (a % 2)
            t.artistReading = u"カシュ"_s;
        for (int s = 1; s <= 4 + static_cast<int>(h % 6); ++s) {
            // Some songs are shared between albums, and one has lyrics already in the folder.
            const QString song = s == 1 ? u"共通の曲"_s : u"曲%1の%2"_s.arg(a).arg(s);
            t.tracks.push_back({song, t.record.artist, (h >> s) % 2 ? filler(h >> 8, 20 + s * 30) : QString(), QString()});
        }
        albums.push_back(std::move(t));
    }
    return albums;
}

} // namespace crash
