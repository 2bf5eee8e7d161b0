#include "listrules.h"

#include "store/collectionfiles.h"
#include "store/collectionnames.h"
#include "store/datafolder.h"
#include "store/records.h"
#include "tracks/trackrules.h"

#include <algorithm>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

namespace listrules {

QString titleOrderKey(int position)
{
    return QString::number(position).rightJustified(4, u'0');
}

QString songOrderKey(int position)
{
    return QString::number(position).rightJustified(5, u'0');
}

Qt::SortOrder nextSortOrder(bool* toggle)
{
    const Qt::SortOrder order = *toggle ? Qt::DescendingOrder : Qt::AscendingOrder;
    *toggle = !*toggle;
    return order;
}

QStringList titleRow(const TitleRecord& t, int position)
{
    return {t.name, t.artist, t.genre, t.rating, t.media, t.date, t.memo, titleOrderKey(position)};
}

TitleRecord titleOfRow(const QStringList& row)
{
    return {row.value(0), row.value(1), row.value(2), row.value(3), row.value(4), row.value(5), row.value(6)};
}

QStringList songRow(const TrackRecord& s, int position, bool hasLyrics)
{
    QStringList row(songcol::kCount);
    row[songcol::kName] = s.name;
    row[songcol::kArtist] = s.artist;
    row[songcol::kGenre] = s.genre;
    row[songcol::kLyricist] = s.lyricist;
    row[songcol::kComposer] = s.composer;
    row[songcol::kArranger] = s.arranger;
    if (hasLyrics)
        row[songcol::kLyrics] = u"○"_s;
    row[songcol::kReserved] = s.reserved;
    row[songcol::kOrderKey] = songOrderKey(position);
    return row;
}

TrackRecord songOfRow(const QStringList& row)
{
    return {row.value(songcol::kName),     row.value(songcol::kArtist),   row.value(songcol::kGenre),
            row.value(songcol::kLyricist), row.value(songcol::kComposer), row.value(songcol::kArranger),
            row.value(songcol::kReserved)};
}

std::vector<int> rowsInKeyOrder(const QStringList& keys)
{
    std::vector<int> rows(static_cast<size_t>(keys.size()));
    std::iota(rows.begin(), rows.end(), 1);
    std::stable_sort(rows.begin(), rows.end(),
                     [&](int a, int b) { return keys[a - 1].toLongLong() < keys[b - 1].toLongLong(); });
    return rows;
}

bool trackListHolds(const QStringList& lines, bool compilation, const QString& song, const QString& artist)
{
    if (song.isEmpty())
        return false;
    for (const QString& line : lines) {
        // A quick look before the line is cut into song and artist.
        if (!line.startsWith(song))
            continue;
        if (!compilation) {
            if (line == song)
                return true;
            continue;
        }
        const trackrules::Track t = trackrules::compilationTrack(line);
        const bool namesArtist = line.size() > t.song.size();
        if (t.song == song && (!namesArtist || t.artist == artist))
            return true;
    }
    return false;
}

bool trackListFileHolds(DataFolder& folder, const QString& fileName, const QString& titleArtist,
                        const QString& song, const QString& artist)
{
    const std::optional<QString> text = folder.readText(fileName);
    // Most lists do not hold the name at all; only those that do are cut into lines.
    return text && text->contains(song)
        && trackListHolds(splitLines(*text), titleArtist == collection::kCompilationArtist, song, artist);
}

TrackListIndex::TrackListIndex(DataFolder& folder, QStringList fileNames)
    : m_files(std::move(fileNames))
{
    for (int i = 0; i < m_files.size(); ++i) {
        const std::optional<QString> text = folder.readText(m_files[i]);
        if (!text)
            continue;
        for (const QString& line : splitLines(*text)) {
            m_songs.emplace_back(qHash(line), i);
            if (const qsizetype slash = line.indexOf(u'/'); slash >= 0)
                m_songs.emplace_back(qHash(QStringView(line).left(slash)), i);
        }
    }
    std::sort(m_songs.begin(), m_songs.end());
    m_songs.erase(std::unique(m_songs.begin(), m_songs.end()), m_songs.end());
}

QStringList TrackListIndex::filesMayHold(const QString& song) const
{
    const size_t h = qHash(song);
    auto it = std::lower_bound(m_songs.begin(), m_songs.end(), std::pair<size_t, int>(h, 0));
    QStringList files;
    for (; it != m_songs.end() && it->first == h; ++it)
        files.append(m_files[it->second]);
    return files;
}

QString titleOfTrackListFile(const QString& fileName)
{
    return fileName.mid(files::kTrackListPrefix.size(), fileName.size() - files::kTrackListPrefix.size() - 4);
}

int titleHoldingSong(DataFolder& folder, const TitleTable& titles, const QString& song, const QString& artist)
{
    for (int k = 1; k <= titles.count(); ++k) {
        const TitleRecord& t = titles.at(k);
        if (trackListFileHolds(folder, files::trackListFile(t.name), t.artist, song, artist))
            return k;
    }
    return 0;
}

} // namespace listrules
