#include "keptdeletions.h"

#include "collectionfiles.h"
#include "cp932.h"
#include "datafolder.h"
#include "readings.h"
#include "filelisting.h"
#include "recordfile.h"
#include "regularfile.h"
#include "safetree.h"
#include "stagedfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>

using namespace Qt::Literals::StringLiterals;

namespace kept {

namespace {

// Written into the kept folder before the first file leaves it, removed with the folder:
// named as no title's file can be, as the deletion's own mark is.
const QString kRestoreMark = u"~utabako-restoring.tmp"_s;
const QString kDeletionMark = u"~utabako-unfinished.tmp"_s;
const QByteArray kMarkHead = "utabako-restoring 1\n";
const QByteArray kMarkEnd = "end\n";
// The record file older versions wrote, before it was named as no title's file can be.
const QString kOlderRecord = u"削除したタイトル.TXT"_s;
constexpr qint64 kLargestRecord = 1024 * 1024;

bool isLink(const QString& path)
{
    return QFileInfo(path).isSymLink();
}

QByteArray digestOf(const QString& path)
{
    const std::optional<QByteArray> bytes = readRegularFile(path);
    return bytes ? QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256).toHex() : QByteArray("missing");
}

bool isRecordFile(const QString& name)
{
    const QString folded = foldLetterCase(name);
    return folded == foldLetterCase(files::kDeletedRecord) || folded == foldLetterCase(kOlderRecord);
}

// The title's own files among the folder's: its name, then ".txt", ".jpg", ".gif" or ".bmp"
// in any letter case.
bool isOwnFile(const QString& file, const QString& titleName, bool* picture)
{
    if (file.size() != titleName.size() + 4 || !file.startsWith(titleName) || file[titleName.size()] != u'.')
        return false;
    const QString extension = foldLetterCase(file.mid(titleName.size() + 1));
    *picture = extension != u"txt"_s;
    return extension == u"txt"_s || extension == u"jpg"_s || extension == u"gif"_s || extension == u"bmp"_s;
}

std::optional<TitleRecord> readRecord(const QString& path)
{
    if (isLink(path))
        return std::nullopt;
    const std::optional<QByteArray> bytes = readRegularFile(path, nullptr, kLargestRecord);
    if (!bytes)
        return std::nullopt;
    RecordsRead<TitleRecord> read =
        ParseRecordText<TitleRecord>(files::kDeletedRecord, cp932::decode(*bytes), TitleRecord::kFieldCount, [](QString* f) {
            return TitleRecord{std::move(f[0]), std::move(f[1]), std::move(f[2]), std::move(f[3]),
                               std::move(f[4]), std::move(f[5]), std::move(f[6])};
        });
    if (read.records.empty() || read.records.front().name.isEmpty())
        return std::nullopt;
    return read.records.front();
}

// A name in the data folder that a file put back would replace: a file or a link of that
// name in any letter case, looked at again on the disk itself.
bool taken(const DataFolder& folder, const QString& name)
{
    const QString path = QDir(folder.path()).filePath(name);
    return folder.exists(name) || QFileInfo::exists(path) || isLink(path);
}

struct RestoreMark {
    QString name;
    QByteArray digest;
    QList<std::pair<QString, QString>> moved; // (in the kept folder, in the data folder)
};

QByteArray markText(const RestoreMark& mark)
{
    QByteArray text = kMarkHead + "name\t" + mark.name.toUtf8() + "\nrewritten\t" + mark.digest + '\n';
    for (const auto& [from, to] : mark.moved)
        text += "moved\t" + from.toUtf8() + '\t' + to.toUtf8() + '\n';
    return text + kMarkEnd;
}

std::optional<RestoreMark> readMark(const QString& path)
{
    if (isLink(path))
        return std::nullopt;
    const std::optional<QByteArray> text = readRegularFile(path, nullptr, kLargestRecord);
    if (!text || !text->startsWith(kMarkHead) || !text->endsWith(kMarkEnd))
        return std::nullopt;
    RestoreMark mark;
    const QByteArray body = text->sliced(kMarkHead.size(), text->size() - kMarkHead.size() - kMarkEnd.size());
    for (const QByteArray& line : body.split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts[0] == "name" && parts.size() == 2)
            mark.name = QString::fromUtf8(parts[1]);
        else if (parts[0] == "rewritten" && parts.size() == 2)
            mark.digest = parts[1];
        else if (parts[0] == "moved" && parts.size() == 3)
            mark.moved.append({QString::fromUtf8(parts[1]), QString::fromUtf8(parts[2])});
    }
    return mark;
}

bool renameFile(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(from.toStdU16String(), to.toStdU16String(), error);
    return !error;
}

// Moves files put back into the data folder into the kept folder again, under their
// names there; gives those that could not be.
QStringList moveBackIn(DataFolder& folder, const QString& sub, const QList<std::pair<QString, QString>>& moved)
{
    const QDir data(folder.path());
    const QDir kept(data.filePath(sub));
    const auto before = folder.listing().stamp();
    QStringList gone;
    QStringList stuck;
    for (const auto& [from, to] : moved) {
        if (QFileInfo::exists(kept.filePath(from)) || isLink(kept.filePath(from)))
            continue; // never moved out
        if (renameFile(data.filePath(to), kept.filePath(from)))
            gone.append(to);
        else
            stuck.append(to);
    }
    folder.listing().noteOwnChange({}, gone, before);
    return stuck;
}

// Removes what is left of a kept folder once its title is back: the record and the copy
// of the readings the deletion kept, then the mark, then the folder (which stays when it
// holds anything else).
void removeKeptFolder(const QString& path)
{
    const QDir dir(path);
    for (const QString& name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        if (isRecordFile(name) || isTemporarySaveName(name) || foldLetterCase(name) == foldLetterCase(readingfile::kName))
            QFile::remove(dir.filePath(name));
    }
    syncFolder(path);
    QFile::remove(dir.filePath(kRestoreMark));
    QDir(QFileInfo(path).path()).rmdir(QFileInfo(path).fileName());
}

} // namespace

QList<KeptTitle> keptTitles(const DataFolder& folder)
{
    QList<KeptTitle> out;
    const QDir data(folder.path());
    const QStringList subs = data.entryList({files::kDeletedPrefix + u'*'}, QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& sub : subs) {
        const QDir dir(data.filePath(sub));
        const QStringList names = dir.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
        if (names.contains(kRestoreMark) || names.contains(kDeletionMark))
            continue;
        // The record under the name no title's file can have, else under the older name
        // (which, beside the newer one, is the text file of a title of that name).
        QString recordFile;
        for (const QString& name : names) {
            if (foldLetterCase(name) == foldLetterCase(files::kDeletedRecord))
                recordFile = name;
            else if (recordFile.isEmpty() && foldLetterCase(name) == foldLetterCase(kOlderRecord))
                recordFile = name;
        }
        const std::optional<TitleRecord> record = recordFile.isEmpty() ? std::nullopt : readRecord(dir.filePath(recordFile));
        if (!record)
            continue;
        KeptTitle title;
        title.folder = sub;
        // "削除済み_yyyyMMdd_HHmmss", or with "_2"… when two deletions fell in one second.
        title.when = QDateTime::fromString(sub.mid(files::kDeletedPrefix.size(), 15), u"yyyyMMdd_HHmmss"_s);
        title.record = *record;
        for (const QString& name : names) {
            bool picture = false;
            if (name != recordFile && !isLink(dir.filePath(name)) && isOwnFile(name, record->name, &picture)) {
                title.files.append(name);
                (picture ? title.hasPictures : title.hasText) = true;
            }
        }
        out.append(title);
    }
    std::stable_sort(out.begin(), out.end(), [](const KeptTitle& a, const KeptTitle& b) { return a.when < b.when; });
    return out;
}

QStringList restoredFileNames(const KeptTitle& title, const QString& name)
{
    QStringList out;
    for (const QString& file : title.files)
        out.append(name + file.mid(title.record.name.size()));
    return out;
}

WriteResult restore(DataFolder& folder, const TitleTable& loaded, const KeptTitle& title, const QString& name)
{
    if (folder.isReadOnly())
        return folder.readOnlyRefusal(files::kTitles);
    const QStringList targets = restoredFileNames(title, name);
    for (const QString& target : targets) {
        if (!DataFolder::isPlainFileName(target))
            return {WriteResult::Kind::BadFileName, target, {}, {}};
        if (taken(folder, target))
            return {WriteResult::Kind::Io, target, {}, u"同じ名前のファイルがあります"_s};
    }
    const QDir data(folder.path());
    const QString sub = data.filePath(title.folder);
    if (isLink(sub) || !QFileInfo(sub).isDir())
        return {WriteResult::Kind::Io, title.folder, {}, u"フォルダがありません"_s};
    const QDir kept(sub);

    // The mark first: a kill from here on is found at the next start, which tells by the
    // title file whether the record was added and finishes or undoes the rest.
    RestoreMark mark{name, digestOf(folder.filePath(files::kTitles)), {}};
    for (qsizetype i = 0; i < targets.size(); ++i)
        mark.moved.append({title.files[i], targets[i]});
    {
        StagedFile out;
        WriteResult result = out.write(kept.filePath(kRestoreMark), markText(mark));
        if (result.ok())
            result = out.commit();
        if (!result.ok())
            return result;
    }
    const auto undo = [&](const WriteResult& why) {
        moveBackIn(folder, title.folder, mark.moved);
        QFile::remove(kept.filePath(kRestoreMark));
        syncFolder(sub);
        return why;
    };

    // Each file by one rename, its name checked again just before.
    const auto before = folder.listing().stamp();
    QStringList back;
    WriteResult result = WriteResult::success();
    for (const auto& [from, to] : std::as_const(mark.moved)) {
        if (taken(folder, to)) {
            result = {WriteResult::Kind::Io, to, {}, u"同じ名前のファイルがあります"_s};
            break;
        }
        std::error_code error;
        std::filesystem::rename(kept.filePath(from).toStdU16String(), data.filePath(to).toStdU16String(), error);
        if (error) {
            result = WriteResult::ofSystemError(to, error);
            break;
        }
        back.append(to);
    }
    folder.listing().noteOwnChange(back, {}, before);
    if (!result.ok())
        return undo(result);
    syncFolder(sub);
    syncFolder(folder.path());

    TitleRecord record = title.record;
    record.name = name;
    result = AppendTitle(folder, loaded, record);
    if (!result.ok())
        return undo(result);
    removeKeptFolder(sub);
    syncFolder(folder.path());
    return WriteResult::success();
}

bool purge(const DataFolder& folder, const KeptTitle& title)
{
    if (folder.isReadOnly() || !DataFolder::isPlainFileName(title.folder))
        return false;
    return safetree::removeTree(QDir(folder.path()).filePath(title.folder));
}

QList<UnfinishedRestore> finishUnfinished(DataFolder& folder)
{
    QList<UnfinishedRestore> found;
    const QDir data(folder.path());
    for (const QString& sub : data.entryList({files::kDeletedPrefix + u'*'}, QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot)) {
        const QString path = data.filePath(sub);
        const std::optional<RestoreMark> mark = readMark(QDir(path).filePath(kRestoreMark));
        if (!mark)
            continue;
        UnfinishedRestore work{mark->name, sub, digestOf(folder.filePath(files::kTitles)) != mark->digest};
        if (work.finished) {
            removeKeptFolder(path);
        } else {
            moveBackIn(folder, sub, mark->moved);
            syncFolder(path);
            QFile::remove(QDir(path).filePath(kRestoreMark));
            syncFolder(path);
        }
        found.append(work);
    }
    if (!found.isEmpty())
        syncFolder(folder.path());
    return found;
}

} // namespace kept
