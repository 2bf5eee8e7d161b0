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
