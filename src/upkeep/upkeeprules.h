#pragma once

#include "store/storeerror.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class DataFolder;

// The full reset's rules that need no window: which files it empties and deletes, and
// the copy of them it keeps first so that the old collection can be put back.
namespace upkeeprules {

// The files the reset leaves empty: titles, songs and the four person-name masters.
QStringList resetEmptiedFiles();

// The files the reset deletes: each title's ".txt" and pictures (never a file of the
// program's own, whatever the title is called), then every lyrics file and every track
// list of the folder as it is now, and the readings file. A file can be named more than once, in different
// letter case; moving takes it once.
QStringList resetDeletedFiles(const DataFolder& folder, const QStringList& titleNames);

// The reset's file work. Every file it deletes is moved (one rename each) into a new
// folder "初期化前_yyyyMMdd_HHmmss" inside the data folder, every file it empties is
// copied there, and only when all of that is on the disk are they emptied. Whole or
// nothing: on failure the moved files are back, the new folder is gone and the result
// says what failed (with *kept naming any file that could not be put back, else empty);
// on success *kept names the folder. progress(done, total) follows
// each file moved.
WriteResult resetCollection(DataFolder& folder, const QStringList& titleNames, const QDateTime& when,
                            QString* kept, const std::function<void(qsizetype, qsizetype)>& progress = {});

} // namespace upkeeprules
