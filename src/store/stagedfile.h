#pragma once

#include "storeerror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

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
    // Puts the written content in place of the target (an atomic rename), and forces the
    // folder's entry to the disk unless syncing is left to the caller.
    enum class Sync { Folder, Later };
    WriteResult commit(Sync sync = Sync::Folder);
    // Removes the written content; the target stays as it is.
    void discard();

    const QString& targetPath() const { return m_target; }
    // Where the new content waits until commit(); empty when there is none.
    const QString& temporaryPath() const { return m_temporary; }

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

// A save of several files is put in place by one rename each. So that a kill between two
// of them cannot leave some files new and some old, the renames are first listed in a
// journal beside them, written whole under a name of its own and forced to the disk; it
// is removed once every rename is on the disk. A journal found at the next start is
// finished: the renames it lists are made again where the new content still waits.
class SaveJournal {
public:
    // Writes the journal of the renames (temporary path → target path, all in folder).
    // Nothing is in place yet when this fails.
    WriteResult write(const QString& folder, const std::vector<std::pair<QString, QString>>& renames);
    // Forces the renames to the disk and removes the journal.
    void close();
    // Removes the journal when the renames could not all be made.
    void discard();
    SaveJournal() = default;
    SaveJournal(const SaveJournal&) = delete;
    SaveJournal& operator=(const SaveJournal&) = delete;
    ~SaveJournal() { discard(); }

private:
    QString m_folder;
    QString m_path;
};

bool isSaveJournalName(QStringView name, qint64* owner = nullptr);

// Finishes the saves whose journals are among names (the files folder holds) and whose
// process is no longer running, removing the journals; returns the files put in place.
// *journals (if given) receives the names of the journals that were found and of the
// temporary files renamed, none of which is there any more.
QStringList finishInterruptedSaves(const QString& folder, const QStringList& names, QStringList* journals = nullptr);
