#pragma once

#include <QString>
#include <QStringList>

// The rules of bringing a cover picture in that need no window: which files are
// offered, where the copy comes from and what it is called in the data folder, and
// which pictures of the title would still be shown instead of it.
namespace coverimportrules {

// Whether the file list offers the file: a JPEG or bitmap by its extension, ".jpg" or
// ".bmp" in any letter case.
bool isOffered(QStringView fileName);

// The folder, one separator unless the folder already ends in one (a drive's root),
// then the file name.
QString sourcePath(const QString& folder, const QString& fileName);

// The title's name followed by the last four characters of the source's name, in the
// letter case the source has: "Blue" and "scan.BMP" give "Blue.BMP".
QString destinationName(const QString& titleName, const QString& sourceFileName);

// Whether the name is the placeholder shown for titles without a picture, which a
// title's picture must not replace.
bool isPlaceholder(const QString& fileName);

// Whether destination is one of the title's picture names (".jpg", ".gif" or ".bmp" in
// any letter case): a file under any other name would never be shown.
bool isTitlesPicture(const QString& titleName, const QString& destination);

// The title's picture names that are read after destination and so would be shown
// instead of it: for a ".jpg", the ".gif" and the ".bmp"; none for a ".bmp".
QStringList picturesShownInstead(const QString& titleName, const QString& destination);

} // namespace coverimportrules
