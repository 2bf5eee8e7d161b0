#include "trackrules.h"

#include "store/collectionnames.h"

#include <QHash>
#include <QSet>

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

// The texts "/" + name of the names listed so far, indexed by the pairs of characters
// they hold, so that "does the list hold this text anywhere" looks only at the names
// that share the rarest pair of the text. A text without a line end can only be found
// inside one of these entries, as the list puts a line end after each.
class ListedNames {
public:
    bool holds(const QString& text, const QString& list) const
    {
        if (text.isEmpty())
            return true;
        if (text.contains(u'\r') || text.contains(u'\n'))
            return list.contains(text);
        if (text.size() == 1)
            return m_singles.contains(text[0].unicode());
        const std::vector<int>* fewest = nullptr;
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            const auto it = m_byPair.constFind(pair(text[i], text[i + 1]));
            if (it == m_byPair.cend())
                return false;
            if (!fewest || it->size() < fewest->size())
                fewest = &*it;
        }
        for (int entry : *fewest) {
            if (m_entries[static_cast<size_t>(entry)].contains(text))
                return true;
        }
        return false;
    }

    void add(const QString& entry)
    {
        const int id = static_cast<int>(m_entries.size());
        m_entries.push_back(entry);
        for (qsizetype i = 0; i < entry.size(); ++i) {
            m_singles.insert(entry[i].unicode());
            if (i + 1 < entry.size()) {
                std::vector<int>& ids = m_byPair[pair(entry[i], entry[i + 1])];
                if (ids.empty() || ids.back() != id)
                    ids.push_back(id);
            }
        }
    }

private:
    static quint32 pair(QChar a, QChar b) { return (quint32(a.unicode()) << 16) | b.unicode(); }

    std::vector<QString> m_entries;
    QHash<quint32, std::vector<int>> m_byPair;
    QSet<char16_t> m_singles;
};

} // namespace

QString artistNameList(const TrackTable& table)
{
    QString list;
    QSet<QString> seen;
    ListedNames listed;
    for (const TrackRecord& t : table.records()) {
        // A name met before is in the list already, or was found in it then.
        if (seen.contains(t.artist))
            continue;
        seen.insert(t.artist);
        if (listed.holds(t.artist, list))
            continue;
        listed.add(u'/' + t.artist);
        list += u'/' + t.artist + u"\r\n"_s;
    }
    return list;
}

} // namespace trackrules
