#pragma once

#include "store/restore.h"
#include "store/titletable.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class DataFolder;

// What the history screen shows and puts back, without a window: the folders that keep
// a whole collection (a reset's, a restore's), the days of the history, and how a day's
// titles differ from today's.
namespace historyrules {

// The files the daily history keeps: titles, songs, the masters, the settings and the
// readings.
QStringList keptFiles();

// A folder that keeps what a reset or a restore took away.
struct KeptFolder {
    QString folder;
    QDateTime when;
    bool reset = false; // a reset's, else a restore's
    int titles = 0;     // records of the title file it keeps (0 when it keeps none)
};
// Newest first.
QList<KeptFolder> keptFolders(const DataFolder& folder);

// The files that make the collection as it was at the start of day: for each file, the
// copy kept on the first day from day on that changed it. Files no later day changed
// are as they are now, and are not among them.
QList<restore::Piece> dayPieces(const DataFolder& folder, const QDate& day);

// The titles of the title file among pieces (kept as the folder holds it); nothing when
// no piece is the title file, that is, when the titles are as now.
std::optional<std::vector<TitleRecord>> keptTitles(const DataFolder& folder, const QList<restore::Piece>& pieces);

// How today's titles differ from those of then, by name.
struct Difference {
    QStringList added;   // now, not then
    QStringList removed; // then, not now
    QStringList changed; // in both, with other fields
    bool reordered = false; // the titles in both stand in another order (a 反映 of a list)
    bool none() const { return added.isEmpty() && removed.isEmpty() && changed.isEmpty() && !reordered; }
};
Difference compare(const std::vector<TitleRecord>& then, const std::vector<TitleRecord>& now);

// The difference as the screen shows it: counts, then names (a long list cut short).
QString describe(const Difference& difference);

} // namespace historyrules
