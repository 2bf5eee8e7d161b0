#include "setaside.h"

#include "regularfile.h"

#include "cp932.h"
#include "datafolder.h"
#include "stagedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

SetAside::SetAside(DataFolder& folder)
    : m_folder(folder)
{
}

SetAside::~SetAside()
{
    if (!m_kept)
        undo();
}

QString SetAside::path() const
{
    return QDir(m_folder.path()).filePath(m_name);
}

WriteResult SetAside::open(const QString& prefix, const QDateTime& when)
{
    return m_folder.makeFolder(prefix + when.toString(u"yyyyMMdd_HHmmss"_s), &m_name);
}

WriteResult SetAside::move(const QStringList& names, const std::function<void(qsizetype, qsizetype)>& progress)
{
    return m_folder.moveInto(m_name, names, &m_moved, progress);
}

WriteResult SetAside::copy(const QString& name)
{
    // Read as every collection file is: only a regular file, never waiting on a FIFO.
    const QString source = m_folder.filePath(name);
    const QString fileName = QFileInfo(source).fileName();
    QString error;
    const std::optional<QByteArray> bytes = readRegularFile(source, &error);
    if (!bytes)
        return error.isEmpty() ? WriteResult::success() : WriteResult{WriteResult::Kind::Io, fileName, {}, error};
    return writeBytes(fileName, *bytes);
}

WriteResult SetAside::writeText(const QString& name, const QString& text)
{
    QByteArray bytes;
    QString bad;
    if (!cp932::encode(text, &bytes, &bad))
        return {WriteResult::Kind::Unstorable, name, bad, {}};
    return writeBytes(name, bytes);
}

WriteResult SetAside::writeBytes(const QString& name, QByteArrayView bytes)
{
    StagedFile out;
    WriteResult result = out.write(QDir(path()).filePath(name), bytes);
    if (result.ok())
        result = out.commit();
    if (result.ok())
        m_written.append(name);
    return result;
}

void SetAside::sync() const
{
    syncFolder(path());
    syncFolder(m_folder.path());
}

QString SetAside::undo()
{
    if (m_name.isEmpty())
        return {};
    const QStringList stuck = m_folder.moveBack(m_name, m_moved);
    m_moved.clear();
    const QDir dir(path());
    for (const QString& name : std::as_const(m_written))
        QFile::remove(dir.filePath(name));
    m_written.clear();
    // A file that could not be put back stays where it is, and its folder with it.
    QString note;
    if (stuck.isEmpty())
        QDir(m_folder.path()).rmdir(m_name);
    else
        note = u"\r\n\r\n次のファイルは「%1」フォルダから元に戻せませんでした:\r\n"_s.arg(m_name) + stuck.join(u"\r\n"_s);
    m_name.clear();
    return note;
}
