#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct AppState;
class Dialogs;
class FileListing;

// Bringing bytes in as a title's cover, wherever they come from (the import panel's file
// list, a drop on the cover box, the clipboard): the title must be one of the
// collection, the placeholder picture is never replaced, the bytes must be a whole
// picture, an existing picture of the same name is replaced only when the user agrees,
// and the write is whole or not at all. sourceName is the name the bytes came under;
// its last four characters give the copy's extension, and a refusal names it. bytes is
// empty when the source could not be read. Returns the data folder name written, or an
// empty text when nothing was (the user has been told why). known whole says the caller
// has already found these very bytes to be a whole picture (on a worker, so that a
// large one is not decoded twice, nor on the window's thread).
QString writeCover(AppState& state, Dialogs& dialogs, FileListing& lyrics, const QString& title,
                   const QString& sourceName, const std::optional<QByteArray>& bytes, bool knownWhole = false);
