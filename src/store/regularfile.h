#pragma once

#include <QByteArray>
#include <QString>

#include <limits>
#include <optional>

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
    // threads at once.
    std::optional<QByteArray> read(const QString& name, QString* error = nullptr) const;

private:
    QString m_folder;
    int m_fd = -1;
};
