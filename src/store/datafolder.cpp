#include "datafolder.h"

#include "cp932.h"
#include "filelisting.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <system_error>

using namespace Qt::Literals::StringLiterals;

namespace {

int lineOfByte(const QByteArray& bytes, qsizetype offset)
{
    int line = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        const char c = bytes[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    }
    return line;
}

} // namespace

DataFolder::DataFolder(const QString& path)
    : m_dir(path)
{
}

bool DataFolder::isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/')
        && !name.contains(u'\\') && !name.contains(QChar(0));
}

std::optional<std::filesystem::file_time_type> DataFolder::folderTime() const
{
    std::error_code error;
    const auto time = std::filesystem::last_write_time(m_dir.absolutePath().toStdU16String(), error);
    return error ? std::nullopt : std::optional(time);
}

QString DataFolder::lookUpIgnoringCase(const QString& name) const
{
    // The listing is kept while the folder's modification time (to the nanosecond where
    // the file system keeps it) stays the one it was taken at; the program's own
    // creations and deletions are entered into it as they are made.
    const auto modified = folderTime();
    if (!m_listed || !modified || *modified != m_listedFolderTime) {
        m_foldedNames.clear();
        QDirIterator it(m_dir.absolutePath(), QDir::Files | QDir::Hidden | QDir::System);
        while (it.hasNext()) {
            it.next();
            const QString onDisk = it.fileName();
            m_foldedNames.insert(foldLetterCase(onDisk), onDisk);
        }
        m_listed = modified.has_value();
        if (modified)
            m_listedFolderTime = *modified;
    }
    return m_foldedNames.value(foldLetterCase(name));
}

void DataFolder::noteOwnChange(const QString& path, bool exists) const
{
    if (!m_listed)
        return;
    const auto modified = folderTime();
    if (!modified) {
        m_listed = false;
        return;
    }
    const QString onDisk = QFileInfo(path).fileName();
    if (exists)
        m_foldedNames.insert(foldLetterCase(onDisk), onDisk);
    else if (m_foldedNames.value(foldLetterCase(onDisk)) == onDisk)
        m_foldedNames.remove(foldLetterCase(onDisk));
    m_listedFolderTime = *modified;
}

QString DataFolder::filePath(const QString& name) const
{
    const QString exact = m_dir.absoluteFilePath(name);
    if (!isPlainFileName(name) || QFileInfo::exists(exact))
        return exact;
    const QString onDisk = lookUpIgnoringCase(name);
    return onDisk.isEmpty() ? exact : m_dir.absoluteFilePath(onDisk);
}

bool DataFolder::exists(const QString& name) const
{
    return isPlainFileName(name) && QFileInfo::exists(filePath(name));
}

std::optional<QString> DataFolder::readText(const QString& name)
{
    if (!isPlainFileName(name))
        return std::nullopt;
    const QString path = filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    qsizetype bad = -1;
    QString text = cp932::decode(bytes, &bad);
    if (bad >= 0)
        noteProblem({LoadProblem::Kind::NotCp932, QFileInfo(path).fileName(), lineOfByte(bytes, bad)});
    return text;
}

void DataFolder::noteProblem(const LoadProblem& problem)
{
    const QString path = filePath(problem.fileName);
    if (problem.kind == LoadProblem::Kind::EndsWithinRecord)
        m_cutShort.insert(path);
    if (m_damaged.contains(path) || m_keptPaths.contains(path))
        return;
    m_damaged.insert(path);
    if (m_listener)
        m_listener(problem);
    else
        m_problems.append(problem);
}

QList<LoadProblem> DataFolder::takeProblems()
{
    return std::exchange(m_problems, {});
}

QStringList DataFolder::takeKeptCopies()
{
    return std::exchange(m_kept, {});
}

std::optional<WriteResult> DataFolder::keepDamagedOriginal(const QString& name, const QString& path)
{
    if (!m_damaged.contains(path) || !QFileInfo::exists(path))
        return std::nullopt;
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyy-MM-dd_HHmmss"_s);
    const QString base = QFileInfo(path).fileName() + u'.' + stamp;
    QString copyName = base + u".bak"_s;
    for (int n = 2; QFileInfo::exists(m_dir.absoluteFilePath(copyName)); ++n)
        copyName = base + u'-' + QString::number(n) + u".bak"_s;
    if (!QFile::copy(path, m_dir.absoluteFilePath(copyName))) {
        WriteResult failure{WriteResult::Kind::Io, name, {}, u"元の内容を控えとして残せませんでした"_s};
        return failure;
    }
    noteOwnChange(m_dir.absoluteFilePath(copyName), true);
    m_damaged.remove(path);
    m_keptPaths.insert(path);
    m_kept.append(copyName);
    return std::nullopt;
}

std::optional<WriteResult> DataFolder::prepareWrite(const QString& name, QStringView text,
                                                    QString* path, QByteArray* bytes)
{
    if (!isPlainFileName(name))
        return WriteResult{WriteResult::Kind::BadFileName, name, {}, {}};
    QString bad;
    if (!cp932::encode(text, bytes, &bad))
        return WriteResult{WriteResult::Kind::Unstorable, name, bad, {}};
    *path = filePath(name);
    return keepDamagedOriginal(name, *path);
}

WriteResult DataFolder::rewrite(const QString& name, QStringView text)
{
    QString path;
    QByteArray bytes;
    if (auto refused = prepareWrite(name, text, &path, &bytes))
        return *refused;
    // Unbuffered, so that a short write (a full disk) is seen here and not lost in a
    // buffer that the commit would flush without complaint.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {WriteResult::Kind::Io, name, {}, file.errorString()};
    if (file.write(bytes) != bytes.size() || file.size() != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {WriteResult::Kind::Io, name, {}, reason};
    }
    if (!file.commit())
        return {WriteResult::Kind::Io, name, {}, file.errorString()};
    // The file is whole now: whatever was cut short in it is gone.
    m_cutShort.remove(path);
    noteOwnChange(path, true);
    return WriteResult::success();
}

WriteResult DataFolder::append(const QString& name, QStringView text)
{
    QString path;
    QByteArray bytes;
    if (auto refused = prepareWrite(name, text, &path, &bytes))
        return *refused;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return {WriteResult::Kind::Io, name, {}, file.errorString()};
    const qint64 oldSize = file.size();
    // A last line left without its line end would otherwise run into the new one.
    if (oldSize > 0 && file.seek(oldSize - 1)) {
        char last = 0;
        if (file.getChar(&last) && last != '\n' && last != '\r')
            bytes.prepend("\r\n");
    }
    if (!file.seek(oldSize) || file.write(bytes) != bytes.size() || file.size() != oldSize + bytes.size()) {
        const QString reason = file.errorString();
        file.resize(oldSize);
        return {WriteResult::Kind::Io, name, {}, reason};
    }
    if (oldSize == 0)
        noteOwnChange(path, true);
    return WriteResult::success();
}

bool DataFolder::remove(const QString& name)
{
    if (!isPlainFileName(name))
        return false;
    const QString path = filePath(name);
    if (!QFileInfo::exists(path))
        return true;
    if (!QFile::remove(path))
        return false;
    noteOwnChange(path, false);
    return true;
}

bool DataFolder::endsWithinRecord(const QString& name) const
{
    return m_cutShort.contains(filePath(name));
}

QStringList DataFolder::removeInterruptedSaves()
{
    return {};
}
