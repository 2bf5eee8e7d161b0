#include "collectionlock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
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

// The process number written in a mark, or 0.
qint64 numberIn(const QString& path)
{
    QFile mark(path);
    return mark.open(QIODevice::ReadOnly) ? mark.readLine(32).trimmed().toLongLong() : 0;
}

} // namespace

const QString CollectionLock::kFileName = u"utabako.lock"_s;

#ifdef Q_OS_UNIX

// The mark is held by a lock the system keeps on the open file: it ends with the
// process however that ends (a crash, a power cut), so a mark left behind is simply
// taken, and two copies starting together cannot both take it.
CollectionLock::CollectionLock(QString folder)
    : m_path(QDir(folder).filePath(kFileName))
{
    const QByteArray path = QFile::encodeName(m_path);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return; // the folder cannot be written
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            ::close(fd);
            if (!held)
                return;
            // A copy that has just taken the mark writes its number a moment later.
            m_state = State::HeldByOther;
            for (int wait = 0; wait < 20 && (m_other = numberIn(m_path)) == 0; ++wait)
                QThread::msleep(50);
            return;
        }
        // A copy ending meanwhile removes the mark: the lock counts only on the file
        // that still bears the name.
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) == 0 && ::stat(path.constData(), &named) == 0 && locked.st_dev == named.st_dev
            && locked.st_ino == named.st_ino) {
            const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
            if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.constData(), static_cast<size_t>(pid.size())) == pid.size()) {
                m_fd = fd;
                m_state = State::Held;
                return;
            }
        }
        ::close(fd);
    }
}

CollectionLock::~CollectionLock()
{
    if (m_state != State::Held)
        return;
    // Removed while still locked, so that no copy takes a mark on its way out.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
}

#else

CollectionLock::CollectionLock(QString folder)
    : m_path(QDir(folder).filePath(kFileName))
{
    if (create()) {
        m_state = State::Held;
        return;
    }
    const qint64 pid = numberIn(m_path);
    if (pid != QCoreApplication::applicationPid() && processIsRunning(pid)) {
        m_state = State::HeldByOther;
        m_other = pid;
        return;
    }
    // A mark left behind by a copy that is no longer running.
    if ((!QFile::exists(m_path) || QFile::remove(m_path)) && create())
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

#endif
