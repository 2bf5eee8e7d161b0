#pragma once

#include "store/storeerror.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class DataFolder;

// The full reset's rules that need no window: which files it empties and deletes, and
// the copy of them it keeps first so that the old collection can be put back.
namespace upkeeprules {

// The files the reset leaves empty: titles, songs and the four person-name masters.
QStringList resetEmptiedFiles();

// The files the reset deletes: each title's ".txt" and pictures (never a file of the
// program's own, whatever the title is called), then every lyrics file and every track
// list of the folder as it is now. Each file once, however its name is spelled.
QStringList resetDeletedFiles(const DataFolder& folder, const QStringList& titleNames);

// "初期化前_yyyyMMdd_HHmmss".
QString backupFolderName(const QDateTime& when);

// Copies, byte for byte, every existing file of names into a new folder inside the
// data folder and returns that folder's name in *created. On failure nothing is left
// of the new folder and the result says what could not be written.
WriteResult backUp(const DataFolder& folder, const QStringList& names, const QDateTime& when, QString* created);

} // namespace upkeeprules
