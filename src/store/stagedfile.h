#pragma once

#include "storeerror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A new content for a file, written completely under a temporary name beside it and put
// in its place only by commit(). Until then the file is as it was, and a crash or power
// cut at any moment leaves either the old file or the new one, never a mixture. The
// temporary name is one the program recognises, so that the next start removes what an
// interrupted save left behind.
class StagedFile {
public:
    StagedFile() = default;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    ~StagedFile();

    // Writes bytes beside targetPath and forces them to the disk. A failure names the
    // target's file name; nothing is left behind then.
    WriteResult write(const QString& targetPath, QByteArrayView bytes);
    // Puts the written content in place of the target (an atomic rename).
    WriteResult commit();
    // Removes the written content; the target stays as it is.
    void discard();

    const QString& targetPath() const { return m_target; }

private:
    QString m_target;
    QString m_temporary;
};

// Forces a folder's entries (files renamed into or out of it) to the disk.
void syncFolder(const QString& folder);

// Whether name is a temporary file of a save; *owner (if given) receives the process
// that wrote it.
bool isTemporarySaveName(QStringView name, qint64* owner = nullptr);

// Removes from folder those of names (the files it holds) that are temporary files of
// saves whose process is no longer running, and returns their names.
QStringList removeInterruptedSaves(const QString& folder, const QStringList& names);
