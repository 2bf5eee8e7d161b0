#include "readingrules.h"

#include "store/collectionnames.h"
#include "store/japanese.h"

#include <QHash>

namespace readingrules {

bool isArtistName(const QString& name)
{
    return !name.isEmpty() && name != collection::kNotEntered && name != collection::kCompilationArtist;
}

std::vector<PendingName> namesWithoutReading(const TitleTable& titles, const ReadingTable& readings,
                                             const QSet<QString>& only)
{
    std::vector<PendingName> artists;
    std::vector<PendingName> names;
    QHash<QString, size_t> artistAt;
    QSet<QString> titlesMet;
    for (const TitleRecord& t : titles.records()) {
        if (!only.isEmpty() && !only.contains(t.name))
            continue;
        if (isArtistName(t.artist) && japanese::needsReading(t.artist)
            && readings.reading(ReadingKind::Artist, t.artist).isEmpty()) {
            const auto at = artistAt.constFind(t.artist);
            if (at == artistAt.cend()) {
                artistAt.insert(t.artist, artists.size());
                artists.push_back({ReadingKind::Artist, t.artist, 1});
            } else {
                ++artists[*at].titles;
            }
        }
        if (japanese::needsReading(t.name) && readings.reading(ReadingKind::Title, t.name).isEmpty()
            && !titlesMet.contains(t.name)) {
            titlesMet.insert(t.name);
            names.push_back({ReadingKind::Title, t.name, 0});
        }
    }
    // An artist named only for some of the titles asked about still counts all its titles.
    if (!only.isEmpty() && !artists.empty()) {
        for (PendingName& a : artists)
            a.titles = 0;
        for (const TitleRecord& t : titles.records()) {
            if (const auto at = artistAt.constFind(t.artist); at != artistAt.cend())
                ++artists[*at].titles;
        }
    }
    artists.insert(artists.end(), std::make_move_iterator(names.begin()), std::make_move_iterator(names.end()));
    return artists;
}

int pruneReadings(ReadingTable* readings, const std::vector<TitleRecord>& titles, const std::vector<TrackRecord>& tracks)
{
    if (readings->count() == 0)
        return 0;
    QSet<QString> artists;
    QSet<QString> titleNames;
    QSet<QString> songs;
    titleNames.reserve(static_cast<qsizetype>(titles.size()));
    songs.reserve(static_cast<qsizetype>(tracks.size()));
    for (const TitleRecord& t : titles) {
        titleNames.insert(t.name);
        artists.insert(t.artist);
    }
    for (const TrackRecord& s : tracks) {
        songs.insert(s.name);
        artists.insert(s.artist);
    }
    return readings->prune(artists, titleNames, songs);
}

std::optional<DataFolder::Change> readingsChange(const ReadingTable& loaded, ReadingTable edited,
                                                 const std::vector<TitleRecord>& titles,
                                                 const std::vector<TrackRecord>& tracks, WriteResult* refused,
                                                 ReadingTable* written)
{
    pruneReadings(&edited, titles, tracks);
    if (edited.records() == loaded.records())
        return std::nullopt;
    std::optional<DataFolder::Change> change = ReadingFileChange(edited, refused);
    if (change)
        *written = std::move(edited);
    return change;
}

} // namespace readingrules
