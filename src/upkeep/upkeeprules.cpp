#include "upkeeprules.h"

#include "store/collectionfiles.h"
#include "store/datafolder.h"
#include "store/filelisting.h"
#include "store/masterlist.h"
#include "store/stagedfile.h"
#include "title/titlerules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace upkeeprules {

QStringList resetEmptiedFiles()
{
    return {files::kTitles, files::kTracks, masterFileName(Master::Artist), masterFileName(Master::Lyricist),
            masterFileName(Master::Composer), masterFileName(Master::Arranger)};
}

QStringList resetDeletedFiles(const DataFolder& folder, const QStringList& titleNames)
{
    QStringList candidates;
    for (const QString& name : titleNames)
        candidates += titlerules::filesDeletedWithTitle(name);
    // Read afresh: a file saved since a screen last listed the folder goes too.
    for (const QString& prefix : {files::kLyricsPrefix, files::kTrackListPrefix}) {
        FileListing listing(folder.path(), prefix + u"*.txt"_s);
        listing.refresh();
        candidates += listing.names();
    }
    QStringList out;
    QSet<QString> seen;
    for (const QString& name : candidates) {
        if (!DataFolder::isPlainFileName(name))
            continue;
        const QString key = foldLetterCase(name);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        out.append(name);
    }
    return out;
}

QString backupFolderName(const QDateTime& when)
{
    return u"初期化前_"_s + when.toString(u"yyyyMMdd_HHmmss"_s);
}

WriteResult backUp(const DataFolder& folder, const QStringList& names, const QDateTime& when, QString* created)
{
    QDir data(folder.path());
    QString name = backupFolderName(when);
    for (int n = 2; data.exists(name); ++n)
        name = backupFolderName(when) + u"_%1"_s.arg(n);
    if (!data.mkdir(name))
        return {WriteResult::Kind::Io, name, {}, u"フォルダを作れません"_s};
    QDir backup(data.filePath(name));
    QSet<QString> copied;
    for (const QString& wanted : names) {
        const QString source = folder.filePath(wanted);
        const QFileInfo info(source);
        if (!info.isFile() || copied.contains(info.fileName()))
            continue;
        copied.insert(info.fileName());
        QFile in(source);
        WriteResult result;
        if (!in.open(QIODevice::ReadOnly)) {
            result = {WriteResult::Kind::Io, info.fileName(), {}, in.errorString()};
        } else {
            const QByteArray bytes = in.readAll();
            StagedFile out;
            if (in.error() != QFileDevice::NoError || bytes.size() != in.size())
                result = {WriteResult::Kind::Io, info.fileName(), {}, in.errorString()};
            else
                result = out.write(backup.filePath(info.fileName()), bytes);
            if (result.ok())
                result = out.commit();
        }
        if (!result.ok()) {
            backup.removeRecursively();
            return result;
        }
    }
    *created = name;
    return WriteResult::success();
}

} // namespace upkeeprules
