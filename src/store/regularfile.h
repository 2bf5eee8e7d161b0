#pragma once

#include <QByteArray>
#include <QString>

#include <limits>
#include <optional>

// What tells one content of a file from the next without reading it: its size and
// modification time (in nanoseconds where the system keeps them).
struct FileStamp {
    qint64 size = 0;
    qint64 modified = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The bytes of the file at path, when it is a regular file or a link to one. Anything
// else under the name (a FIFO, a socket, a device, a folder) counts as missing and is
// never opened: opening a FIFO for reading would wait for a writer that never comes.
// Nothing when the file is missing, or larger than largest; nothing with *error (if
// given) set to what the system said when it is there and cannot be read whole.
std::optional<QByteArray> readRegularFile(const QString& path, QString* error = nullptr,
                                          qint64 largest = std::numeric_limits<qint64>::max());

// An open handle on a folder, to read many of its files by name: each file is opened
// once relative to the handle, and the same guarantee holds as for readRegularFile
// (only regular files are read; a FIFO put under the name is never waited on). Where
// the system has no such handles, the files are read by their paths.
class FolderHandle {
public:
    explicit FolderHandle(const QString& folder);
    ~FolderHandle();
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // As readRegularFile for the file name in the folder. Safe to call from several
    // threads at once. *stamp (if given) gets the stamp of the file read, taken from the
    // same open, or nothing when none was read.
    std::optional<QByteArray> read(const QString& name, QString* error = nullptr,
                                   std::optional<FileStamp>* stamp = nullptr) const;
    // The stamp of the regular file name in the folder as it is now, looked at without
    // opening it, or nothing when there is none.
    std::optional<FileStamp> stamp(const QString& name) const;

private:
    QString m_folder;
    int m_fd = -1;
};
