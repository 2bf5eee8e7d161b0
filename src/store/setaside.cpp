#include "setaside.h"

#include "regularfile.h"

#include "cp932.h"
#include "datafolder.h"
#include "filelisting.h"
#include "collectionlock.h"
#include "stagedfile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QSet>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// Named as no title's file can be and as the Windows program never reads.
const QString kMark = u"~utabako-unfinished.tmp"_s;
const QByteArray kMarkHead = "utabako-unfinished 1\n";
const QByteArray kMarkEnd = "end\n";

// How a file of the data folder stands now, to tell later whether it was rewritten.
QByteArray digestOf(const QString& path)
{
    const std::optional<QByteArray> bytes = readRegularFile(path);
    return bytes ? QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256).toHex() : QByteArray("missing");
}

bool isLink(const QString& path)
{
    return QFileInfo(path).isSymLink();
}

// The mark of a set-aside folder, as begin() wrote it.
struct Mark {
    QString what;
    QList<std::pair<QString, QByteArray>> rewritten;
    QSet<QString> written;
};

std::optional<Mark> readMark(const QString& path)
{
    if (isLink(path))
        return std::nullopt;
    const std::optional<QByteArray> text = readRegularFile(path, nullptr, 16 * 1024 * 1024);
    if (!text || !text->startsWith(kMarkHead) || !text->endsWith(kMarkEnd))
        return std::nullopt;
    Mark mark;
    const QByteArray body = text->sliced(kMarkHead.size(), text->size() - kMarkHead.size() - kMarkEnd.size());
    for (const QByteArray& line : body.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        const QByteArray key = line.left(tab);
        const QString value = QString::fromUtf8(line.mid(tab + 1));
        if (key == "what") {
            mark.what = value;
        } else if (key == "written") {
            mark.written.insert(foldLetterCase(value));
        } else if (key == "rewritten") {
            const qsizetype cut = value.lastIndexOf(u'\t');
            mark.rewritten.append({value.left(cut), value.mid(cut + 1).toLatin1()});
        }
    }
    return mark;
}

} // namespace

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

WriteResult SetAside::begin(const QString& what, const QStringList& rewritten, const QStringList& written)
{
    QByteArray text = kMarkHead + "what\t" + what.toUtf8() + '\n';
    for (const QString& name : rewritten)
        text += "rewritten\t" + name.toUtf8() + '\t' + digestOf(m_folder.filePath(name)) + '\n';
    for (const QString& name : written)
        text += "written\t" + name.toUtf8() + '\n';
    text += kMarkEnd;
    StagedFile out;
    WriteResult result = out.write(QDir(path()).filePath(kMark), text);
    if (result.ok())
        result = out.commit();
    m_marked = result.ok();
    return result;
}

void SetAside::keep()
{
    m_kept = true;
    removeMark();
}

void SetAside::removeMark()
{
    if (m_marked && QFile::remove(QDir(path()).filePath(kMark)))
        syncFolder(path());
    m_marked = false;
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
    removeMark();
    // A file that could not be put back stays where it is, and its folder with it.
    QString note;
    if (stuck.isEmpty())
        QDir(m_folder.path()).rmdir(m_name);
    else
        note = u"\r\n\r\n次のファイルは「%1」フォルダから元に戻せませんでした:\r\n"_s.arg(m_name) + stuck.join(u"\r\n"_s);
    m_name.clear();
    return note;
}

QList<SetAside::Unfinished> SetAside::finishUnfinished(DataFolder& folder, const QStringList& prefixes, QStringList* removed)
{
    QList<Unfinished> found;
    QStringList patterns;
    for (const QString& prefix : prefixes)
        patterns.append(prefix + u'*');
    const QDir data(folder.path());
    // Folders only, never one reached through a link.
    for (const QString& sub : data.entryList(patterns, QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QDir dir(data.filePath(sub));
        const QString markPath = dir.filePath(kMark);
        if (const std::optional<Mark> mark = readMark(markPath)) {
            Unfinished work{mark->what, sub, false, {}};
            // The last step rewrites the files it named: any of them changed, it was made.
            for (const auto& [name, digest] : mark->rewritten) {
                if (digestOf(folder.filePath(name)) != digest)
                    work.finished = true;
            }
            if (!work.finished) {
                QStringList back;
                for (const QString& name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name)) {
                    if (name == kMark || isTemporarySaveName(name))
                        continue;
                    if (mark->written.contains(foldLetterCase(name)))
                        QFile::remove(dir.filePath(name));
                    else
                        (folder.exists(name) ? work.stuck : back).append(name);
                }
                work.stuck += folder.moveBack(sub, back);
            }
            QFile::remove(markPath);
            syncFolder(dir.path());
            found.append(work);
        }
        qint64 owner = 0;
        for (const QString& name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
            if (isTemporarySaveName(name, &owner) && (owner == QCoreApplication::applicationPid() || !processIsRunning(owner))
                && QFile::remove(dir.filePath(name)))
                removed->append(sub + u'/' + name);
        }
        // A folder the work never got to fill holds nothing worth keeping.
        if (dir.isEmpty(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
            data.rmdir(sub);
    }
    if (!found.isEmpty())
        syncFolder(folder.path());
    return found;
}
