#include "trackrules.h"

#include "store/collectionnames.h"

#include <QSet>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace trackrules {

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

QStringList cutLines(const QStringList& lines, QStringView cut, const QStringList& kept, QStringView keptCut)
{
    QHash<QString, int> untouched;
    if (cut == keptCut) {
        for (const QString& line : kept)
            ++untouched[line];
    }
    QStringList out;
    out.reserve(lines.size());
    for (const QString& line : lines) {
        if (auto it = untouched.find(line); it != untouched.end() && *it > 0) {
            --*it;
            out.append(line);
        } else {
            out.append(cutLine(line, cut));
        }
    }
    return out;
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
        return {line, collection::kNotEntered};
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
    // A pair the list holds twice is one song: it is stored once.
    QSet<std::pair<QString, QString>> added;
    for (const Track& t : tracks) {
        const QString& artist = compilation ? t.artist : titleArtist;
        if (!t.song.isEmpty() && !table.contains(t.song, artist) && !added.contains({t.song, artist})) {
            added.insert({t.song, artist});
            out.push_back({t.song, artist, {}, {}, {}, {}, {}});
        }
    }
    return out;
}

namespace {

// Four UTF-16 characters of a name as one number: equal numbers, equal characters.
quint64 gramAt(const QString& name, qsizetype i)
{
    return (quint64(name[i].unicode()) << 48) | (quint64(name[i + 1].unicode()) << 32)
        | (quint64(name[i + 2].unicode()) << 16) | quint64(name[i + 3].unicode());
}

// For each name, whether it is found inside a name before it. The four-character runs
// of all names are sorted once with the names they come from, so a name of four
// characters or more is looked for only in the earlier names that share its rarest run.
std::vector<char> foundInEarlier(const QStringList& names)
{
    std::vector<std::pair<quint64, int>> grams;
    for (int id = 0; id < names.size(); ++id) {
        for (qsizetype i = 0; i + 4 <= names[id].size(); ++i)
            grams.emplace_back(gramAt(names[id], i), id);
    }
    std::sort(grams.begin(), grams.end());
    grams.erase(std::unique(grams.begin(), grams.end()), grams.end());

    std::vector<char> found(static_cast<size_t>(names.size()));
    for (int id = 0; id < names.size(); ++id) {
        const QString& name = names[id];
        const auto inside = [&](int earlier) { return names[earlier].contains(name); };
        if (name.size() < 4) {
            // Short names are few: every earlier name is looked at.
            for (int earlier = 0; earlier < id && !found[static_cast<size_t>(id)]; ++earlier)
                found[static_cast<size_t>(id)] = inside(earlier);
            continue;
        }
        using Range = std::pair<std::vector<std::pair<quint64, int>>::const_iterator,
                                std::vector<std::pair<quint64, int>>::const_iterator>;
        Range rarest;
        for (qsizetype i = 0; i + 4 <= name.size(); ++i) {
            const quint64 g = gramAt(name, i);
            const Range r{std::lower_bound(grams.cbegin(), grams.cend(), std::pair<quint64, int>(g, 0)),
                          std::lower_bound(grams.cbegin(), grams.cend(), std::pair<quint64, int>(g, id))};
            if (i == 0 || r.second - r.first < rarest.second - rarest.first)
                rarest = r;
        }
        for (auto it = rarest.first; it != rarest.second && !found[static_cast<size_t>(id)]; ++it)
            found[static_cast<size_t>(id)] = inside(it->second);
    }
    return found;
}

} // namespace

QString artistNameList(const TrackTable& table)
{
    QStringList names;
    QSet<QString> seen;
    for (const TrackRecord& t : table.records()) {
        if (!seen.contains(t.artist)) {
            seen.insert(t.artist);
            names.append(t.artist);
        }
    }
    // A name with neither "/" nor a line end is in the list exactly when it is inside an
    // earlier name: inside a listed one, or inside one left out for being inside a listed
    // one. Any other name may span entries, and is looked for in the list itself.
    const std::vector<char> found = foundInEarlier(names);
    QString list;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        const bool plain = !name.contains(u'/') && !name.contains(u'\r') && !name.contains(u'\n');
        if (name.isEmpty() || (plain ? bool(found[static_cast<size_t>(i)]) : list.contains(name)))
            continue;
        list += u'/' + name + u"\r\n"_s;
    }
    return list;
}

} // namespace trackrules
