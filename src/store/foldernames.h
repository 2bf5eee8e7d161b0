#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

// The names of the files in the data folder, matched regardless of ASCII letter case,
// from a listing kept while the folder stays unchanged. The program's own creations and
// deletions are entered into the listing; a change made by anyone else since the
// listing was taken (a cover copied in by hand) has it read again.
class FolderNames {
public:
    explicit FolderNames(QString folder);

    // The name as spelt on disk of the file whose name equals name regardless of ASCII
    // letter case, or an empty string.
    QString onDisk(const QString& name) const;
    // The files names stand for, as spelt on disk, each once and in the order of names:
    // the file of exactly that name, else the one onDisk() gives. Folders are no files.
    QStringList filesOnDisk(const QStringList& names) const;

    // The folder's modification time (to the nanosecond where the file system keeps it).
    using Stamp = std::optional<std::filesystem::file_time_type>;
    Stamp stamp() const;

    // Enters the files the program created and deleted. before is the folder's stamp
    // taken before those changes: when the folder had changed since the listing was
    // taken, the listing is read again at the next look-up instead.
    void noteOwnChange(const QStringList& created, const QStringList& deleted, const Stamp& before) const;

private:
    // Reads the folder again when it changed since it was last listed.
    void listIfChanged() const;

    QString m_folder;
    mutable QSet<QString> m_exact;
    mutable QHash<QString, QString> m_byFoldedName;
    mutable Stamp m_listedAt;
};
