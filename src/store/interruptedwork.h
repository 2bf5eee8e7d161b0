#pragma once

#include "keptdeletions.h"
#include "restore.h"
#include "setaside.h"

#include <QList>
#include <QString>
#include <QStringList>

class DataFolder;

// What the start-up found of work that a kill or a power cut cut short, and what it did.
struct InterruptedWork {
    // Files put in place by saves of several files that had begun to put them.
    QStringList finished;
    // Deletions and resets found under way.
    QList<SetAside::Unfinished> setAside;
    // Deleted titles being put back.
    QList<kept::UnfinishedRestore> restores;
    // Restores of a reset's or a day's files found under way.
    QList<restore::Unfinished> collectionRestores;
    // Temporary files removed ("folder/name" inside a set-aside folder).
    QStringList removed;

    // What the user is told, or nothing when there is nothing to tell (removed
    // temporaries are not worth a word).
    QString message() const;
    static QString title();
};

// Finishes or undoes, at start-up and before the collection is read, what was under way
// when the program last ended: saves of several files, deletions, resets and deleted
// titles being put back; then removes the temporary files it recognises as its own, in
// the data folder and in the folders it sets files aside in, and those folders it left
// empty. Nothing happens in a folder opened read-only.
InterruptedWork finishInterruptedWork(DataFolder& folder);
