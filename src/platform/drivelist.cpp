#include "drivelist.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

using namespace Qt::Literals::StringLiterals;

QList<Drive> listDrives()
{
    const QString home = QDir::homePath();
    QList<Drive> drives{{home, u"ホーム（%1）"_s.arg(QDir::toNativeSeparators(home))}};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid())
            continue;
        const QString root = volume.rootPath();
        const QString name = volume.displayName();
        const QString shown = QDir::toNativeSeparators(root);
        drives.append({root, name == root ? shown : u"%1（%2）"_s.arg(shown, name)});
    }
    return drives;
}

bool driveReady(const QString& root)
{
    const QFileInfo folder(root);
    return folder.isDir() && folder.isReadable() && QDir(root).exists();
}
