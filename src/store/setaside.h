#pragma once

#include "storeerror.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class DataFolder;

// Files taken out of the collection into a new dated folder inside the data folder
// ("削除済み_20261207_101500"), each by one rename, with copies and notes written beside
// them, so that the user can bring them back by hand. Until keep() all of it can be
// undone: undo(), and the destructor, put the moved files back, remove what was written
// there and then the folder.
class SetAside {
public:
    explicit SetAside(DataFolder& folder);
    ~SetAside();
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;

    // Makes the folder prefix + "yyyyMMdd_HHmmss", with "_2", "_3"… when that is taken.
    WriteResult open(const QString& prefix, const QDateTime& when);
    const QString& name() const { return m_name; }
    QString path() const;

    // Notes in the folder, before anything is moved, that the work is under way, so that
    // a kill before keep() or undo() is found at the next start (see finishUnfinished):
    // what the work is, for the user (「初期化」), the files of the data folder its last
    // step rewrites (how they are now is noted, to tell later whether that step was
    // made), and the files the work itself writes into the folder (never put back).
    WriteResult begin(const QString& what, const QStringList& rewritten, const QStringList& written);
    // Moves the files of names that are there into the folder (see DataFolder::moveInto).
    WriteResult move(const QStringList& names, const std::function<void(qsizetype, qsizetype)>& progress = {});
    // Copies a file of the data folder in, byte for byte; a missing file is passed over.
    WriteResult copy(const QString& name);
    // Writes text, as CP932, into a new file of the folder.
    WriteResult writeText(const QString& name, const QString& text);
    // Makes the moves last through a power cut: one sync of each of the two folders.
    void sync() const;

    // Puts everything back. Returns, for the message of the failure that led here, a
    // note naming the files that could not be put back (they stay in the folder), or
    // nothing when all went back.
    QString undo();
    void keep();

    // What the next start found of a work cut short by a kill or a power cut.
    struct Unfinished {
        QString what;
        QString folder;
        bool finished = false; // its last step had been made: the files stay set aside
        QStringList stuck;     // files not put back: one of the same name is in the data folder
    };
    // Finds the set-aside folders of folder (prefixes: their names' beginnings) that hold
    // a work begun and never kept nor undone, and finishes each work whose last step was
    // made, or puts its files back. Also removes what interrupted saves left in those
    // folders (into *removed, as "folder/name") and the folders left empty.
    static QList<Unfinished> finishUnfinished(DataFolder& folder, const QStringList& prefixes, QStringList* removed);

private:
    WriteResult writeBytes(const QString& name, QByteArrayView bytes);
    void removeMark();

    DataFolder& m_folder;
    QString m_name;
    QStringList m_moved;
    QStringList m_written;
    bool m_kept = false;
    bool m_marked = false;
};
