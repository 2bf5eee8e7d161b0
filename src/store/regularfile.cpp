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

} // namespace

std::optional<QByteArray> readRegularFile(const QString& path, QString* error, qint64 largest)
{
    if (error)
        error->clear();
    QFile file;
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat named {};
    if (::stat(name.constData(), &named) != 0)
        return errno == ENOENT || errno == ENOTDIR ? std::nullopt : failed(error, qt_error_string(errno));
    if (!S_ISREG(named.st_mode) || named.st_size > largest)
        return std::nullopt;
    // Should the name be swapped for a FIFO after the look, the open still does not wait,
    // and what was opened is looked at again.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? std::nullopt : failed(error, qt_error_string(errno));
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_size > largest) {
        ::close(fd);
        return std::nullopt;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failed(error, file.errorString());
    }
#else
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > largest)
        return std::nullopt;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(error, file.errorString());
#endif
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(error, file.errorString());
    return bytes;
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

std::optional<QByteArray> FolderHandle::read(const QString& name, QString* error) const
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0) {
        if (error)
            error->clear();
        // Opened without waiting whatever the name holds, then looked at: one open and
        // one look per file, no look by name before.
        const int fd = ::openat(m_fd, QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return errno == ENOENT || errno == ENOTDIR ? std::nullopt : failed(error, qt_error_string(errno));
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
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
        bytes.truncate(size);
        return bytes;
    }
#endif
    return readRegularFile(m_folder + u'/' + name, error);
}
