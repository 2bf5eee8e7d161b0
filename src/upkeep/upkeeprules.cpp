#include "upkeeprules.h"

#include "store/collectionfiles.h"
#include "store/datafolder.h"
#include "store/filelisting.h"
#include "store/masterlist.h"
#include "store/readings.h"
#include "store/setaside.h"
#include "title/titlerules.h"

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
    for (const QString& prefix : {files::kLyricsPrefix, files::kTrackListPrefix})
        candidates += FileListing(folder, prefix + u"*.txt"_s).names();
    // The readings of the names go with them.
    candidates.append(readingfile::kName);
    return candidates;
}

WriteResult resetCollection(DataFolder& folder, const QStringList& titleNames, const QDateTime& when,
                            QString* kept, const std::function<void(qsizetype, qsizetype)>& progress)
{
    const QStringList emptied = resetEmptiedFiles();
    SetAside backup(folder);
    WriteResult result = backup.open(files::kResetPrefix, when);
    // Until the files are emptied a next start puts everything back; once they are, it
    // finishes the reset.
    if (result.ok())
        result = backup.begin(u"初期化"_s, emptied, emptied);
    if (result.ok())
        result = backup.move(resetDeletedFiles(folder, titleNames), progress);
    for (const QString& name : emptied) {
        if (result.ok())
            result = backup.copy(name);
    }
    if (!result.ok()) {
        *kept = backup.undo();
        return result;
    }
    backup.sync();
    std::vector<DataFolder::Change> empty;
    for (const QString& name : emptied)
        empty.push_back({name, QString()});
    result = folder.write(empty);
    if (!result.ok()) {
        *kept = backup.undo();
        return result;
    }
    backup.keep();
    *kept = backup.name();
    return result;
}

} // namespace upkeeprules
