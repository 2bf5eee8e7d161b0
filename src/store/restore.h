#pragma once

#include "storeerror.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class DataFolder;

// Puts kept files back into the data folder (a reset's 初期化前 folder, a day of the
// history), whole or not at all, never losing what is there now: the files of today that
// a kept one replaces are first moved into a new folder "戻す前_yyyyMMdd_HHmmss", which can
// be put back the same way. A mark in the data folder, written before anything moves and
// removed after, lets the next start finish a restore cut short, or undo it.
namespace restore {

// One file to put back: the folder inside the data folder that keeps it, and its name.
struct Piece {
    QString folder;
    QString name;
};
// Kept files are moved back (a set-aside folder, emptied by the restore) or copied back
// (the history, which keeps its days).
enum class Way { Move, Copy };

// Puts pieces back (what: the work, for the user, 「初期化前の状態に戻す作業」); the files
// of alsoAside that are there go aside too, though no kept file takes their place (what a
// reset made anew). On success
// *setAside names the folder today's replaced files went to (empty when none was
// replaced). On failure everything is as before and *note names any file that could not
// be put back where it was. progress(done, total) follows each file.
WriteResult putBack(DataFolder& folder, const QString& what, Way way, const QList<Piece>& pieces,
                    const QStringList& alsoAside, const QDateTime& when, QString* setAside, QString* note, const std::function<void(qsizetype, qsizetype)>& progress = {});

// The files a set-aside folder holds (a reset's, a restore's), as pieces to move back.
QList<Piece> piecesOf(const DataFolder& folder, const QString& sub);

// What the next start found of a restore cut short.
struct Unfinished {
    QString what;
    QString folder;  // where today's replaced files are
    bool finished = false;
};
// Finishes the restore of folder cut short, or undoes it where it cannot be finished.
// Called at start-up; looks at no entry of the folder but the mark.
QList<Unfinished> finishUnfinished(DataFolder& folder);

} // namespace restore
