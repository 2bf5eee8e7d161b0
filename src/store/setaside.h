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
    void keep() { m_kept = true; }

private:
    WriteResult writeBytes(const QString& name, QByteArrayView bytes);

    DataFolder& m_folder;
    QString m_name;
    QStringList m_moved;
    QStringList m_written;
    bool m_kept = false;
};
