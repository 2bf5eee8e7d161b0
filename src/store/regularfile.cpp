#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::optional<QByteArray> failed(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return std::nullopt;
}

#ifdef Q_OS_UNIX
FileStamp stampOf(const struct stat& st)
{
    return {static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + static_cast<qint64>(st.st_mtim.tv_nsec)};
}

// The one way a file is read: opened without waiting whatever the name holds (a FIFO
// opened so never waits for a writer), then looked at; one open and one look per file.
std::optional<QByteArray> readAt(int folder, const QString& name, QString* error, qint64 largest,
                                 std::optional<FileStamp>* stamp = nullptr)
{
    if (error)
        error->clear();
    if (stamp)
        stamp->reset();
    const int fd = ::openat(folder, QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? std::nullopt : failed(error, qt_error_string(errno));
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_size > largest) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes(static_cast<qsizetype>(opened.st_size) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd, bytes.data() + size, static_cast<size_t>(bytes.size() - size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const QString reason = qt_error_string(errno);
            ::close(fd);
            return failed(error, reason);
        }
        if (got == 0)
            break;
        size += got;
    }
    ::close(fd);
    if (size > largest)
        return std::nullopt;
    bytes.truncate(size);
    if (stamp)
        *stamp = stampOf(opened);
    return bytes;
}
#else
FileStamp stampOf(const QFileInfo& info)
{
    return {info.size(), info.lastModified().toMSecsSinceEpoch() * 1'000'000};
}
#endif

} // namespace

std::optional<QByteArray> readRegularFile(const QString& path, QString* error, qint64 largest)
{
#ifdef Q_OS_UNIX
    return readAt(AT_FDCWD, path, error, largest);
#else
    if (error)
        error->clear();
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > largest)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(error, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(error, file.errorString());
    return bytes;
#endif
}

FolderHandle::FolderHandle(const QString& folder)
    : m_folder(folder)
{
#ifdef Q_OS_UNIX
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
}

FolderHandle::~FolderHandle()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

std::optional<QByteArray> FolderHandle::read(const QString& name, QString* error, std::optional<FileStamp>* stamp) const
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        return readAt(m_fd, name, error, std::numeric_limits<qint64>::max(), stamp);
    if (stamp)
        stamp->reset();
#else
    if (stamp)
        *stamp = this->stamp(name);
#endif
    return readRegularFile(m_folder + u'/' + name, error);
}

std::optional<FileStamp> FolderHandle::stamp(const QString& name) const
{
#ifdef Q_OS_UNIX
    struct stat st {};
    if (m_fd < 0 || ::fstatat(m_fd, QFile::encodeName(name).constData(), &st, 0) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return stampOf(st);
#else
    const QFileInfo info(m_folder + u'/' + name);
    if (!info.isFile())
        return std::nullopt;
    return stampOf(info);
#endif
}
