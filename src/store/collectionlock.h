#pragma once

#include "storeerror.h"

#include <QString>
#include <QtGlobal>

#include <system_error>

// Whether the process pid is running on this machine.
bool processIsRunning(qint64 pid);

// The mark that one copy of the program has a data folder open: a small file holding
// its process number, which the copy keeps locked while it runs. A second copy started
// on the same folder finds the mark locked and must not write there; a mark left by a
// copy that ended without removing it (a crash, a power cut) is no longer locked and is
// taken over.
class CollectionLock {
public:
    enum class State { Held, HeldByOther, CannotWrite };

    static const QString kFileName;

    explicit CollectionLock(QString folder);
    ~CollectionLock();
    CollectionLock(const CollectionLock&) = delete;
    CollectionLock& operator=(const CollectionLock&) = delete;

    State state() const { return m_state; }
    // The process holding the folder, with HeldByOther.
    qint64 otherProcess() const { return m_other; }
    // With CannotWrite: whether the folder lies on a read-only disk (rather than being
    // closed to this user).
    bool onReadOnlyDisk() const { return m_error == std::errc::read_only_file_system; }
    // With CannotWrite: why the folder what (「フォルダ「…」」) takes no writes, in the user's words.
    QString whyCannotWrite(const QString& what) const { return cannotWriteReason(what, m_error); }

private:
#ifndef Q_OS_UNIX
    bool create();
#endif

    QString m_path;
    int m_fd = -1;
    State m_state = State::CannotWrite;
    qint64 m_other = 0;
    std::error_code m_error = std::make_error_code(std::errc::permission_denied);
};
