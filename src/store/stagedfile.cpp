#include "stagedfile.h"

#include "collectionlock.h"
#include "regularfile.h"

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
const QString kJournalPrefix = u"~utabako-commit-"_s;
const QString kSuffix = u".tmp"_s;
// The first and last lines of a journal: one without both was not written whole.
const QByteArray kJournalHead = "utabako-commit 1\n";
const QByteArray kJournalEnd = "end\n";

// Short, so that a temporary name fits wherever the target's name does.
QString nextTemporaryName(const QString& prefix = kPrefix)
{
    static std::atomic<unsigned> counter{0};
    return prefix + QString::number(QCoreApplication::applicationPid()) + u'-' + QString::number(++counter) + kSuffix;
}

// Whether name is prefix + process + "-" + number + ".tmp".
bool isNumberedName(QStringView name, const QString& prefix, qint64* owner)
{
    if (!name.startsWith(prefix) || !name.endsWith(kSuffix))
        return false;
    const QStringView middle = name.mid(prefix.size(), name.size() - prefix.size() - kSuffix.size());
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

bool isSymLink(const QString& path)
{
    std::error_code unseen;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path.toStdU16String(), unseen));
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
    // Nothing is written through a link: the file it leads to may lie anywhere.
    const QFileInfo target(targetPath);
    if (isSymLink(targetPath))
        return failure(targetPath, WriteResult::Kind::Io, u"別の場所のファイルを指すリンクのため、書き込みません"_s);
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

WriteResult StagedFile::commit(Sync sync)
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
    if (sync == Sync::Folder)
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
    return isNumberedName(name, kPrefix, owner);
}

bool isSaveJournalName(QStringView name, qint64* owner)
{
    return isNumberedName(name, kJournalPrefix, owner);
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

WriteResult SaveJournal::write(const QString& folder, const std::vector<std::pair<QString, QString>>& renames)
{
    QByteArray text = kJournalHead;
    for (const auto& [from, to] : renames)
        text += QFileInfo(from).fileName().toUtf8() + '\t' + QFileInfo(to).fileName().toUtf8() + '\n';
    text += kJournalEnd;
    const QString path = QDir(folder).filePath(nextTemporaryName(kJournalPrefix));
    StagedFile staged;
    WriteResult written = staged.write(path, text);
    if (written.ok())
        written = staged.commit();
    if (written.ok()) {
        m_folder = folder;
        m_path = path;
    }
    return written;
}

void SaveJournal::close()
{
    if (m_path.isEmpty())
        return;
    syncFolder(m_folder);
    QFile::remove(std::exchange(m_path, {}));
}

void SaveJournal::discard()
{
    if (!m_path.isEmpty()) {
        QFile::remove(std::exchange(m_path, {}));
        syncFolder(m_folder);
    }
}

QStringList finishInterruptedSaves(const QString& folder, const QStringList& names, QStringList* journals)
{
    QStringList put;
    const QDir dir(folder);
    for (const QString& name : names) {
        qint64 owner = 0;
        if (!isSaveJournalName(name, &owner) || saveIsRunning(owner))
            continue;
        const QString path = dir.filePath(name);
        if (isSymLink(path))
            continue;
        const std::optional<QByteArray> text = readRegularFile(path, nullptr, 64 * 1024 * 1024);
        if (!text)
            continue;
        if (journals)
            journals->append(name);
        if (text->startsWith(kJournalHead) && text->endsWith(kJournalEnd)) {
            const QList<QByteArray> lines = text->sliced(kJournalHead.size(), text->size() - kJournalHead.size() - kJournalEnd.size()).split('\n');
            for (const QByteArray& line : lines) {
                const qsizetype tab = line.indexOf('\t');
                if (tab < 0)
                    continue;
                const QString from = QString::fromUtf8(line.left(tab));
                const QString to = QString::fromUtf8(line.mid(tab + 1));
                // Only a temporary of a save goes, and only over a plain name of this folder.
                if (!isTemporarySaveName(from) || to.isEmpty() || to.contains(u'/') || to == u"."_s || to == u".."_s
                    || isTemporarySaveName(to) || isSaveJournalName(to))
                    continue;
                const QString source = dir.filePath(from);
                if (isSymLink(source) || !QFileInfo(source).isFile())
                    continue; // put in place before the kill
                std::error_code error;
                std::filesystem::rename(source.toStdU16String(), dir.filePath(to).toStdU16String(), error);
                if (!error) {
                    put.append(to);
                    if (journals)
                        journals->append(from);
                }
            }
            syncFolder(folder);
        }
        QFile::remove(path);
    }
    if (journals && !journals->isEmpty())
        syncFolder(folder);
    return put;
}
