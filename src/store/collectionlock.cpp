#include "collectionlock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

using namespace Qt::Literals::StringLiterals;

bool processIsRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef Q_OS_UNIX
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#elif defined(Q_OS_WIN)
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
#else
    return true;
#endif
}

namespace {

#ifdef Q_OS_LINUX
// The name the system gives a running process ("self" for this one), or empty.
QByteArray processName(const QString& pid)
{
    QFile comm(u"/proc/%1/comm"_s.arg(pid));
    return comm.open(QIODevice::ReadOnly) ? comm.readAll().trimmed() : QByteArray();
}
#endif

// Whether the process of a mark is a copy of this program still running. After a
// restart the number may belong to another program, which holds no folder: the mark
// is then taken over instead of keeping the collection read-only for good.
bool holderIsRunning(qint64 pid)
{
    if (!processIsRunning(pid))
        return false;
#ifdef Q_OS_LINUX
    const QByteArray theirs = processName(QString::number(pid));
    const QByteArray ours = processName(u"self"_s);
    if (!theirs.isEmpty() && !ours.isEmpty())
        return theirs == ours;
#endif
    return true;
}

} // namespace

const QString CollectionLock::kFileName = u"utabako.lock"_s;

CollectionLock::CollectionLock(QString folder)
    : m_path(QDir(folder).filePath(kFileName))
{
    if (create()) {
        m_state = State::Held;
        return;
    }
    // A copy starting at this very moment has made its mark and not yet written its
    // number into it: it is given a moment before the mark counts as left behind.
    qint64 pid = 0;
    for (int wait = 0; wait < 20; ++wait) {
        QFile existing(m_path);
        if (!existing.open(QIODevice::ReadOnly))
            break;
        pid = existing.readLine(32).trimmed().toLongLong();
        if (pid != 0)
            break;
        QThread::msleep(50);
    }
    if (pid != QCoreApplication::applicationPid() && holderIsRunning(pid)) {
        m_state = State::HeldByOther;
        m_other = pid;
        return;
    }
    // A mark left behind by a copy that is no longer running.
    if (QFile::exists(m_path) && QFile::remove(m_path) && create())
        m_state = State::Held;
}

CollectionLock::~CollectionLock()
{
    if (m_state == State::Held)
        QFile::remove(m_path);
}

bool CollectionLock::create()
{
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
    return file.write(pid) == pid.size();
}
