#include "listrules.h"

#include "store/collectionfiles.h"
#include "store/collectionnames.h"
#include "store/datafolder.h"
#include "store/filelisting.h"
#include "store/records.h"
#include "tracks/trackrules.h"

#include <algorithm>
#include <numeric>

#include <QSet>

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

struct TrackListIndex::Reading {
    QStringList files;
    // The hashes of the songs each file can hold, by its place in files.
    std::vector<std::vector<size_t>> songs;
    std::unique_ptr<TextsReading> texts; // let go first: it fills songs
};

TrackListIndex::TrackListIndex(DataFolder& folder)
    : m_folder(folder)
{
}

TrackListIndex::~TrackListIndex()
{
    if (m_rewritten.isValid())
        m_rewritten.waitForFinished();
}

std::unique_ptr<TrackListIndex::Reading> TrackListIndex::startReading(const QStringList& files)
{
    auto reading = std::make_unique<Reading>();
    reading->files = files;
    reading->songs.resize(static_cast<size_t>(files.size()));
    reading->texts = m_folder.startTexts(files, [songs = &reading->songs](qsizetype i, QStringView text) {
        std::vector<size_t>& held = (*songs)[static_cast<size_t>(i)];
        qsizetype start = 0;
        const auto line = [&](qsizetype end) {
            const QStringView l = text.mid(start, end - start);
            held.push_back(qHash(l));
            if (const qsizetype slash = l.indexOf(u'/'); slash >= 0)
                held.push_back(qHash(l.left(slash)));
        };
        // The lines as splitLines() cuts them.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c != u'\r' && c != u'\n')
                continue;
            line(i);
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
        if (start < text.size())
            line(text.size());
    });
    return reading;
}

void TrackListIndex::enter(Reading& reading, const QSet<QString>& skip)
{
    m_folder.finishTexts(*reading.texts, skip);
    const auto kept = static_cast<std::ptrdiff_t>(m_songs.size());
    const QStringList& files = reading.files;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (skip.contains(files[i]))
            continue;
        const int number = static_cast<int>(m_files.size());
        m_files.append(files[i]);
        m_stamps.push_back(reading.texts->stamp(i));
        m_numberOf.insert(files[i], number);
        for (const size_t h : reading.songs[static_cast<size_t>(i)])
            m_songs.emplace_back(h, number);
    }
    // The songs entered now are sorted and merged with those already in order.
    std::sort(m_songs.begin() + kept, m_songs.end());
    std::inplace_merge(m_songs.begin(), m_songs.begin() + kept, m_songs.end());
    m_songs.erase(std::unique(m_songs.begin(), m_songs.end()), m_songs.end());
}

void TrackListIndex::readAhead()
{
    if (m_ahead)
        return;
    if (m_mark) {
        // A look begun at an earlier opening and not yet used is overtaken by this one.
        QList<std::pair<QString, FileStamp>> read;
        for (qsizetype n = 0; n < m_files.size(); ++n) {
            if (const std::optional<FileStamp>& stamp = m_stamps[static_cast<size_t>(n)]; stamp && !m_files[n].isNull())
                read.append({m_files[n], *stamp});
        }
        m_rewritten = m_folder.startFindingRewritten(std::move(read));
        return;
    }
    const FolderNames& listing = m_folder.listing();
    m_aheadMark = listing.changeMark();
    m_ahead = startReading(listing.matching(files::kTrackListPattern));
}

void TrackListIndex::update()
{
    const FolderNames& listing = m_folder.listing();
    if (const std::unique_ptr<Reading> ahead = std::move(m_ahead)) {
        // Files the program changed while they were read are left out here and read
        // again below; should the folder have been read again since, all of them are.
        if (const std::optional<QSet<QString>> changed = listing.changedSince(*m_aheadMark)) {
            enter(*ahead, *changed);
            m_mark = m_aheadMark;
        }
    }
    std::optional<QSet<QString>> changed = m_mark ? listing.changedSince(*m_mark) : std::nullopt;
    // Lists rewritten in place by another program are read again as if the program had.
    if (const QFuture<QStringList> rewritten = std::exchange(m_rewritten, {}); rewritten.isValid() && changed) {
        for (const QString& name : rewritten.result())
            changed->insert(name);
    }
    if (changed && changed->isEmpty())
        return;
    m_mark = listing.changeMark();
    QStringList toRead;
    if (!changed) {
        m_files.clear();
        m_stamps.clear();
        m_numberOf.clear();
        m_songs.clear();
        toRead = listing.matching(files::kTrackListPattern);
    } else {
        bool dropped = false;
        for (const QString& name : *changed) {
            if (!FileListing::matches(files::kTrackListPattern, name))
                continue;
            if (const auto it = m_numberOf.constFind(name); it != m_numberOf.cend()) {
                m_files[*it] = QString();
                m_numberOf.erase(it);
                dropped = true;
            }
            // A file gone leaves the index, even where a twin in other letter case is left.
            if (listing.filesOnDisk({name}).value(0) == name)
                toRead.append(name);
        }
        if (dropped)
            std::erase_if(m_songs, [this](const std::pair<size_t, int>& entry) { return m_files[entry.second].isNull(); });
    }
    if (!toRead.isEmpty())
        enter(*startReading(toRead));
}

QStringList TrackListIndex::filesMayHold(const QString& song)
{
    update();
    const size_t h = qHash(song);
    auto it = std::lower_bound(m_songs.begin(), m_songs.end(), std::pair<size_t, int>(h, 0));
    QStringList files;
    for (; it != m_songs.end() && it->first == h; ++it)
        files.append(m_files[it->second]);
    // The order of the listing.
    std::sort(files.begin(), files.end());
    return files;
}

QString titleOfTrackListFile(const QString& fileName)
{
    return fileName.mid(files::kTrackListPrefix.size(), fileName.size() - files::kTrackListPrefix.size() - 4);
}

int titleHoldingSong(DataFolder& folder, TrackListIndex& lists, const TitleTable& titles, const QString& song,
                     const QString& artist)
{
    // Only a title whose list is one of the files that may hold the song can hold it.
    QSet<QString> mayHold;
    for (const QString& file : lists.filesMayHold(song))
        mayHold.insert(foldLetterCase(file));
    if (mayHold.isEmpty())
        return 0;
    for (int k = 1; k <= titles.count(); ++k) {
        const TitleRecord& t = titles.at(k);
        const QString file = files::trackListFile(t.name);
        if (mayHold.contains(foldLetterCase(file)) && trackListFileHolds(folder, file, t.artist, song, artist))
            return k;
    }
    return 0;
}

} // namespace listrules
