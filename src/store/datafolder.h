#pragma once

#include "storeerror.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

// The folder that holds the collection, and the one way in and out of its files.
//
// Names are matched without regard to ASCII letter case, as on the Windows disks the
// collections come from: "データ.txt" on disk is the file the program calls "データ.TXT".
// A file the program creates gets the spelling it asked for.
//
// Every whole-file rewrite is atomic (the old file stays whole if anything fails), an
// append never shortens what is there, and text that CP932 cannot hold is refused
// before any byte is written. A file found damaged when read is copied aside, under a
// dated name, before the program first writes to it.
class DataFolder {
public:
    explicit DataFolder(const QString& path);

    QString path() const { return m_dir.absolutePath(); }

    // The full path of the file named name: the existing file whose name equals it
    // regardless of ASCII letter case, else the name as given.
    QString filePath(const QString& name) const;
    bool exists(const QString& name) const;

    // The decoded text of a file, or nothing when it is missing or cannot be opened.
    // Bytes that are not CP932 are noted as a problem of the file.
    std::optional<QString> readText(const QString& name);

    WriteResult rewrite(const QString& name, QStringView text);
    WriteResult append(const QString& name, QStringView text);
    // Deletes a file; a missing file is not an error.
    bool remove(const QString& name);

    // Whether the field-record file name was read and found to end within a record: a
    // record appended to it would run into the cut one, so it must be written whole.
    bool endsWithinRecord(const QString& name) const;

    // Problems met while reading, in the order met, each file once. With a listener set,
    // each is handed to it as it is met instead of being kept for takeProblems().
    void noteProblem(const LoadProblem& problem);
    void setProblemListener(std::function<void(const LoadProblem&)> listener) { m_listener = std::move(listener); }
    QList<LoadProblem> takeProblems();
    // The names under which damaged files were kept before being written, since the last call.
    QStringList takeKeptCopies();

    // Removes the temporary files that saves interrupted by a crash or a power cut left
    // behind (never anything else) and returns their names. Called at start-up.
    QStringList removeInterruptedSaves();

    // A file name the store will accept: no path separators, not "." or "..".
    static bool isPlainFileName(const QString& name);

private:
    std::optional<WriteResult> prepareWrite(const QString& name, QStringView text,
                                            QString* path, QByteArray* bytes);
    std::optional<WriteResult> keepDamagedOriginal(const QString& name, const QString& path);
    QString lookUpIgnoringCase(const QString& name) const;
    std::optional<std::filesystem::file_time_type> folderTime() const;
    void noteOwnChange(const QString& path, bool exists) const;

    QDir m_dir;
    QList<LoadProblem> m_problems;
    std::function<void(const LoadProblem&)> m_listener;
    QSet<QString> m_damaged; // full paths of files read with problems, not yet kept aside
    QSet<QString> m_keptPaths; // damaged files already kept aside in this run
    QSet<QString> m_cutShort;  // files read that end within a record
    QStringList m_kept;

    // Folded name -> name on disk, listed again when the folder's modification time changes.
    mutable QHash<QString, QString> m_foldedNames;
    mutable std::filesystem::file_time_type m_listedFolderTime;
    mutable bool m_listed = false;
};
