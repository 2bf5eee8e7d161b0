#pragma once

#include <QList>
#include <QString>

// The places a picture can be taken from, as a drive list offers them: the home folder
// first, then every mounted volume (disks, memory cards, discs). A volume without a
// medium is listed too; it is found not ready when it is chosen.
struct Drive {
    QString root;
    QString caption;
};
QList<Drive> listDrives();

// Whether a drive's folder can be read now.
bool driveReady(const QString& root);
