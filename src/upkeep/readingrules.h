#pragma once

#include "store/datafolder.h"
#include "store/readings.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QSet>
#include <QString>

#include <optional>
#include <vector>

// Which names wait for a reading, and the readings file as it is written with the other
// files of a change: every write of it first drops the readings of names the collection
// no longer has.
namespace readingrules {

// A name the collection holds that needs a reading to be sorted and found by it and has
// none stored. An artist is one name however many titles it has: its reading serves
// them all.
struct PendingName {
    ReadingKind kind = ReadingKind::Artist;
    QString name;
    int titles = 0; // of an artist, the titles it has
};

// Whether name is an artist a reading can be kept for: not the stand-ins for no artist
// or for several.
bool isArtistName(const QString& name);

// The artists, then the titles, that need a reading and have none, each once, in the
// order of the titles. With only given, just those titles and their artists.
std::vector<PendingName> namesWithoutReading(const TitleTable& titles, const ReadingTable& readings,
                                             const QSet<QString>& only = {});

// Drops the readings of names no title or song holds any more; gives how many.
int pruneReadings(ReadingTable* readings, const std::vector<TitleRecord>& titles,
                  const std::vector<TrackRecord>& tracks);

// The readings file made from edited (loaded with changes made to it), pruned against
// titles and tracks, to be written in the same DataFolder::write as those, and the
// table it holds in *written. Nothing when the readings stay as loaded; nothing, with
// *refused set, when a name cannot be written.
std::optional<DataFolder::Change> readingsChange(const ReadingTable& loaded, ReadingTable edited,
                                                 const std::vector<TitleRecord>& titles,
                                                 const std::vector<TrackRecord>& tracks, WriteResult* refused,
                                                 ReadingTable* written);

} // namespace readingrules
