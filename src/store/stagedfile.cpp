#include "stagedfile.h"

#include "collectionlock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kPrefix = u"~utabako-save-"_s;
const QString kSuffix = u".tmp"_s;

// Short, so that a temporary name fits wherever the target's name does.
QString nextTemporaryName()
{
    static std::atomic<unsigned> counter{0};
    return kPrefix + QString::number(QCoreApplication::applicationPid()) + u'-' + QString::number(++counter) + kSuffix;
}

// 0, or why the content could not be forced to the disk.
int syncToDisk(QFile& file)
{
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0 ? 0 : errno;
#elif defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0 ? 0 : errno;
#else
    return 0;
#endif
}

// Makes the file of the given name, which must not exist yet, and opens it for writing.
// Gives what the system said when it cannot.
std::error_code createNew(QFile& file, const QString& path)
{
#ifdef Q_OS_UNIX
    // Opened here, where the system's reason is still at hand: no space, no free inode
    // or a read-only disk are told in the program's words.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return {errno, std::generic_category()};
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::make_error_code(std::errc::io_error);
    }
    return {};
#else
    file.setFileName(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return {};
    return file.exists() ? std::make_error_code(std::errc::file_exists) : std::make_error_code(std::errc::io_error);
#endif
}

// A save of this process at start-up is one of an earlier run that had its number.
bool saveIsRunning(qint64 pid)
{
    return pid != QCoreApplication::applicationPid() && processIsRunning(pid);
}

WriteResult failure(const QString& target, WriteResult::Kind kind, const QString& detail = {})
{
    return {kind, QFileInfo(target).fileName(), {}, detail};
}

} // namespace

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_target(std::move(other.m_target))
    , m_temporary(std::exchange(other.m_temporary, {}))
{
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept
{
    if (this != &other) {
        discard();
        m_target = std::move(other.m_target);
        m_temporary = std::exchange(other.m_temporary, {});
    }
    return *this;
}

StagedFile::~StagedFile()
{
    discard();
}

void StagedFile::discard()
{
    if (!m_temporary.isEmpty())
        QFile::remove(std::exchange(m_temporary, {}));
}

WriteResult StagedFile::write(const QString& targetPath, QByteArrayView bytes)
{
    discard();
    m_target = targetPath;
    // A link is followed, so that the file it points to gets the new content.
    const QFileInfo target(targetPath);
    if (target.isSymLink())
        m_target = target.symLinkTarget();
    const QFileInfo resolved(m_target);
    if (resolved.exists() && !resolved.isFile())
        return failure(targetPath, WriteResult::Kind::Io,
                       resolved.isDir() ? u"同じ名前のフォルダがあります"_s : u"同じ名前の、ファイルではないものがあります"_s);
    if (resolved.exists() && !resolved.isWritable()) {
#ifdef Q_OS_UNIX
        // The whole disk may be what takes no writes.
        if (::access(QFile::encodeName(m_target).constData(), W_OK) != 0 && errno == EROFS)
            return WriteResult::ofSystemError(target.fileName(), std::make_error_code(std::errc::read_only_file_system));
#endif
        return failure(targetPath, WriteResult::Kind::Io, u"書き込みが禁止されたファイルです"_s);
    }

    const QString folder = resolved.absolutePath();
    QFile file;
    QString temporary;
    std::error_code created = std::make_error_code(std::errc::file_exists);
    for (int attempt = 0; attempt < 100 && created == std::errc::file_exists; ++attempt)
        created = createNew(file, temporary = QDir(folder).filePath(nextTemporaryName()));
    if (created)
        return WriteResult::ofSystemError(QFileInfo(targetPath).fileName(), created);
    m_temporary = temporary;

    // Unbuffered, so that a short write is seen here: a write that stops part way
    // without a reason, or with the system's "no space", is a full disk.
    const qint64 written = file.write(bytes.data(), bytes.size());
    const int unsynced = written == bytes.size() ? syncToDisk(file) : 0;
    if (written != bytes.size() || unsynced != 0) {
        const bool full = (written >= 0 && written < bytes.size()) || file.error() == QFileDevice::ResourceError;
        const QString reason = file.errorString();
        file.close();
        discard();
        if (full)
            return failure(targetPath, WriteResult::Kind::DiskFull);
        if (unsynced != 0)
            return WriteResult::ofSystemError(QFileInfo(targetPath).fileName(), {unsynced, std::generic_category()});
        return failure(targetPath, WriteResult::Kind::Io, reason);
    }
    file.close();
    if (resolved.exists())
        QFile::setPermissions(m_temporary, resolved.permissions());
    return WriteResult::success();
}

WriteResult StagedFile::commit()
{
    if (m_temporary.isEmpty())
        return failure(m_target, WriteResult::Kind::Io);
    std::error_code error;
    std::filesystem::rename(m_temporary.toStdU16String(), m_target.toStdU16String(), error);
    if (error) {
        discard();
        return WriteResult::ofSystemError(QFileInfo(m_target).fileName(), error);
    }
    m_temporary.clear();
    syncFolder(QFileInfo(m_target).absolutePath());
    return WriteResult::success();
}

// After a rename the folder's entry is what must survive a power cut.
void syncFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

bool isTemporarySaveName(QStringView name, qint64* owner)
{
    if (!name.startsWith(kPrefix) || !name.endsWith(kSuffix))
        return false;
    const QStringView middle = name.mid(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    const qsizetype dash = middle.indexOf(u'-');
    bool pidOk = false;
    bool counterOk = false;
    const qint64 pid = dash > 0 ? middle.left(dash).toLongLong(&pidOk) : 0;
    if (dash > 0)
        static_cast<void>(middle.mid(dash + 1).toUInt(&counterOk));
    if (!pidOk || !counterOk || pid <= 0)
        return false;
    if (owner)
        *owner = pid;
    return true;
}

QStringList removeInterruptedSaves(const QString& folder, const QStringList& names)
{
    QStringList removed;
    const QDir dir(folder);
    for (const QString& name : names) {
        qint64 owner = 0;
        if (!isTemporarySaveName(name, &owner) || saveIsRunning(owner))
            continue;
        if (QFile::remove(dir.filePath(name)))
            removed.append(name);
    }
    return removed;
}
