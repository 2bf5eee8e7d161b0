#pragma once

#include "storeerror.h"
#include "titletable.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DataFolder;

// The titles a deletion kept in its "削除済み_yyyyMMdd_HHmmss" folder, and the way back:
// a kept title is put back into the collection (its record at the end of the title
// file, its own files beside the others, the folder removed) or removed for good.
namespace kept {

// One title kept by a deletion.
struct KeptTitle {
    QString folder;     // the folder's name inside the data folder
    QDateTime when;     // when it was deleted, read from the folder's name; invalid when unreadable
    TitleRecord record; // as the title file held it
    QStringList files;  // its pictures and text file in the folder, as spelt there
    bool hasPictures = false;
    bool hasText = false;
};

// Every kept title, oldest first: the folders of the data folder whose names begin with
// the deletion's prefix and that hold the deleted title's record ("削除したタイトル.csv",
// or "削除したタイトル.TXT" in folders of older versions). Folders reached through a link,
// and a deletion or a restore still under way, are passed over.
QList<KeptTitle> keptTitles(const DataFolder& folder);

// The files of title kept under the name name: each of its files with its old name's
// part replaced, letter case and extension kept ("A.JPG" of "A" as "B" gives "B.JPG").
QStringList restoredFileNames(const KeptTitle& title, const QString& name);

// Puts title back under the name name (its own or a new one): its files go back into
// the data folder, its record (named name) is added at the end of the title file loaded
// into loaded, and the folder is removed. No file of the data folder is ever replaced:
// should one of the names be taken, nothing happens and the result names it. All or
// nothing; a kill part way is finished or undone at the next start (finishUnfinished).
WriteResult restore(DataFolder& folder, const TitleTable& loaded, const KeptTitle& title, const QString& name);

// Removes the kept title's folder for good, never through a link.
bool purge(const DataFolder& folder, const KeptTitle& title);

// What the next start found of a restore cut short by a kill or a power cut.
struct UnfinishedRestore {
    QString name;        // the title's name as it was being put back
    QString folder;
    bool finished = false; // the record was in the title file: the restore was finished
};
// Finds the restores begun and neither done nor undone, finishes each whose record had
// reached the title file, and undoes the others (the files go back into their folder).
QList<UnfinishedRestore> finishUnfinished(DataFolder& folder);

} // namespace kept
