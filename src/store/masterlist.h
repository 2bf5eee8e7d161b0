#pragma once

#include "storeerror.h"

#include <QString>
#include <QStringList>

class DataFolder;

// The seven name lists that feed the choice boxes, each a line-list file in the order
// its names were added.
enum class Master { Artist, TitleGenre, Media, SongGenre, Lyricist, Composer, Arranger };

QString masterFileName(Master master);

// The names of a master, one per line of its file; a missing file gives none.
QStringList ReadMaster(DataFolder& folder, Master master);

// Adds one name as a new last line.
WriteResult AppendMasterName(DataFolder& folder, Master master, const QString& name);

// Replaces the whole list.
WriteResult WriteMaster(DataFolder& folder, Master master, const QStringList& names);
