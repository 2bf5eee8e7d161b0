#pragma once

#include "store/titletable.h"

#include <QDate>
#include <QString>
#include <QStringList>

// The rules of creating and deleting titles that need no window.
namespace titlerules {

// The record of a new title: its name, "未登録" for artist, genre and media, "未" for the
// rating, today's date as yyyy/mm/dd and an empty memo.
TitleRecord newTitle(const QString& name, const QDate& today);

// The files taken out with a title: name + ".TXT" and ".txt" (one file where letter case
// does not count), and its pictures. A name whose file would be one of the program's
// own (the title file, a master, the settings, a track list or lyrics file, the
// placeholder picture) is left out, so that deleting a title named "データ" or "曲目_X"
// takes nothing that belongs to the collection.
QStringList filesDeletedWithTitle(const QString& name);

// The titles in the order a list of their names gives, for rewriting the title file in
// a new order: the first time a name is listed it stands for the first title of that
// name, the second time for the second, so that a file holding two titles of one name
// (written by hand or by an old copy) keeps both records. A name listed more often than
// titles have it, or that no title has, is skipped; a title not listed is left out.
std::vector<TitleRecord> titlesInListOrder(const QStringList& names, const TitleTable& titles);

// The title shown after deleting title deleted of oldCount: the one that followed it,
// or the new last one.
int positionAfterDeletion(int deleted, int oldCount);

// Where the first character stands that keeps name from being a new title's name (a
// forbidden, control or unstorable character), or -1 when no one character does.
qsizetype firstRefusedCharacter(const QString& name);

} // namespace titlerules
