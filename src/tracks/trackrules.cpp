#include "trackrules.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace trackrules {

QChar firstForbiddenCharacter(QStringView memo, bool compilation)
{
    for (const QChar c : u"\\:,;*?\"<>|"_s) {
        if (memo.contains(c))
            return c;
    }
    if (!compilation && memo.contains(u'/'))
        return u'/';
    return {};
}

QString cutCharacter(QStringView cutBoxText)
{
    return cutBoxText.left(1).toString();
}

QString cutLine(QStringView line, QStringView cut)
{
    const qsizetype found = cut.isEmpty() ? 0 : line.indexOf(cut);
    QStringView rest = found < 0 ? line : line.mid(found + 1);
    qsizetype start = 0;
    qsizetype end = rest.size();
    while (start < end && rest[start] == u' ')
        ++start;
    while (end > start && rest[end - 1] == u' ')
        --end;
    return rest.mid(start, end - start).toString();
}

QStringList memoLines(QStringView memo)
{
    QString text = memo.toString();
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (text.endsWith(u'\n'))
        lines.removeLast();
    return lines;
}

Track compilationTrack(const QString& line)
{
    const qsizetype slash = line.indexOf(u'/');
    if (slash < 0)
        return {line, kNotEntered};
    return {line.left(slash), line.mid(slash + 1)};
}

std::vector<Track> tracksOfLines(const QStringList& lines, bool compilation)
{
    std::vector<Track> tracks;
    tracks.reserve(static_cast<size_t>(lines.size()));
    for (const QString& line : lines)
        tracks.push_back(compilation ? compilationTrack(line) : Track{line, QString()});
    return tracks;
}

QString trackNumber(int r)
{
    return QString::number(r).rightJustified(2, u'0');
}

QString memoOfTracks(const std::vector<Track>& tracks, bool compilation)
{
    QString memo;
    for (const Track& t : tracks) {
        memo += t.song;
        if (compilation)
            memo += u'/' + t.artist;
        memo += u"\r\n"_s;
    }
    return memo;
}

std::vector<TrackRecord> newTrackRecords(const std::vector<Track>& tracks, bool compilation,
                                         const QString& titleArtist, const TrackTable& table)
{
    std::vector<TrackRecord> out;
    for (const Track& t : tracks) {
        const QString& artist = compilation ? t.artist : titleArtist;
        if (!t.song.isEmpty() && !table.contains(t.song, artist))
            out.push_back({t.song, artist, {}, {}, {}, {}, {}});
    }
    return out;
}

QString artistNameList(const TrackTable& table)
{
    QString list;
    QSet<QString> listed;
    for (const TrackRecord& t : table.records()) {
        // A name listed already is in the text; only a new one needs the text searched.
        if (listed.contains(t.artist))
            continue;
        listed.insert(t.artist);
        if (!list.contains(t.artist))
            list += u'/' + t.artist + u"\r\n"_s;
    }
    return list;
}

} // namespace trackrules
