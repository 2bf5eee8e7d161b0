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

// The number of a mark a copy starting at this very moment has made and not yet
// written into: it is given a moment.
qint64 numberWhenWritten(const QString& path)
{
    qint64 pid = 0;
    for (int wait = 0; wait < 20 && QFile::exists(path) && (pid = numberIn(path)) == 0; ++wait)
        QThread::msleep(50);
    return pid;
}

} // namespace

const QString CollectionLock::kFileName = u"utabako.lock"_s;

#ifdef Q_OS_UNIX

namespace {

// Whether the name still leads to the open file: a copy ending removes its mark, and
// a lock on a file no longer named counts for nothing.
bool stillNamed(int fd, const QByteArray& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 && open.st_dev == named.st_dev
        && open.st_ino == named.st_ino;
}

bool writeNumber(int fd)
{
    errno = 0;
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
    return ::ftruncate(fd, 0) == 0 && ::write(fd, pid.constData(), static_cast<size_t>(pid.size())) == pid.size();
}

} // namespace

// The mark is held by a lock the system keeps on the open file: it ends with the
// process however that ends (a crash, a power cut), so a mark left behind is simply
// taken, and two copies starting together cannot both take it. Where the file system
// keeps no such locks, the number in the mark decides.
CollectionLock::CollectionLock(QString folder)
    : m_path(QDir(folder).filePath(kFileName))
{
    const QByteArray path = QFile::encodeName(m_path);
    const QByteArray folderPath = QFile::encodeName(folder);
    for (int attempt = 0; attempt < 10; ++attempt) {
        bool created = true;
        int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) {
            created = false;
            fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
            // The mark of another user, who can no longer hold it: looked at, not written.
            if (fd < 0 && (errno == EACCES || errno == EPERM))
                fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (fd < 0) {
            // A link under the mark's name is no mark: it goes, what it leads to stays.
            if (errno == ELOOP && ::unlink(path.constData()) == 0)
                continue;
            m_error = {errno, std::generic_category()};
            return; // the folder cannot be written
        }
        struct stat file {};
        if (::fstat(fd, &file) != 0 || !S_ISREG(file.st_mode)) {
            ::close(fd);
            return;
        }
        const bool writable = (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDWR;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error == EWOULDBLOCK) {
                const bool named = stillNamed(fd, path);
                ::close(fd);
                if (!named)
                    continue;
                m_state = State::HeldByOther;
                m_other = numberWhenWritten(m_path);
                return;
            }
            // No locks on this file system: the number in the mark decides.
            const qint64 pid = created ? 0 : numberWhenWritten(m_path);
            if (pid != 0 && pid != QCoreApplication::applicationPid() && processIsRunning(pid)) {
                ::close(fd);
                m_state = State::HeldByOther;
                m_other = pid;
                return;
            }
        }
        if (!stillNamed(fd, path)) {
            ::close(fd);
            continue;
        }
        if (!writable) {
            // Left behind by another user: removed, if the folder lets this one.
            ::close(fd);
            if (::unlink(path.constData()) == 0)
                continue;
            return;
        }
        // A mark that can be written in a folder that cannot: nothing could be saved.
        if (::access(folderPath.constData(), W_OK) != 0 || !writeNumber(fd)) {
            // A write that stops short without a reason is a full disk.
            m_error = {errno != 0 ? errno : ENOSPC, std::generic_category()};
            if (created)
                ::unlink(path.constData());
            ::close(fd);
            return;
        }
        m_fd = fd;
        m_state = State::Held;
        return;
    }
}

CollectionLock::~CollectionLock()
{
    if (m_state != State::Held)
        return;
    // Removed while still locked, so that no copy takes a mark on its way out; a mark
    // that is no longer this one's (removed by hand and made again) is left alone.
    const QByteArray path = QFile::encodeName(m_path);
    if (stillNamed(m_fd, path))
        ::unlink(path.constData());
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
    const qint64 pid = numberWhenWritten(m_path);
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
