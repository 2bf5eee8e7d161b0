#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct AppState;
class Dialogs;
class FileListing;

// Where a cover comes from. The import panel asks its question in the words the
// program has always used; a picture dropped or pasted comes with bytes its reader has
// already found to be a whole picture (on a worker, so that a large one is neither
// decoded twice nor on the window's thread), and the question names the title and file.
enum class CoverFrom { ImportPanel, DropOrPaste };

// Bringing bytes in as a title's cover, wherever they come from (the import panel's file
// list, a drop on the cover box, the clipboard): the title must be one of the
// collection, the placeholder picture is never replaced, the bytes must be a whole
// picture under a name the title shows, an existing picture of the same name is
// replaced only when the user agrees, and the write is whole or not at all. sourceName
// is the name the bytes came under; its last four characters give the copy's
// extension, and a refusal names it. bytes is empty when the source could not be read.
// Returns the data folder name written, or an empty text when nothing was (the user has
// been told why).
QString writeCover(AppState& state, Dialogs& dialogs, FileListing& lyrics, const QString& title,
                   const QString& sourceName, const std::optional<QByteArray>& bytes,
                   CoverFrom from = CoverFrom::ImportPanel);
