#include "coverimportrules.h"

#include "store/collectionfiles.h"
#include "store/filelisting.h"
#include "store/namerules.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace coverimportrules {

bool isOffered(QStringView fileName)
{
    return fileName.size() > 4
        && (fileName.endsWith(u".jpg"_s, Qt::CaseInsensitive) || fileName.endsWith(u".bmp"_s, Qt::CaseInsensitive));
}

QString sourcePath(const QString& folder, const QString& fileName)
{
    if (folder.endsWith(u'/') || folder.endsWith(u'\\'))
        return folder + fileName;
    return folder + u'/' + fileName;
}

QString destinationName(const QString& titleName, const QString& sourceFileName)
{
    return titleName + sourceFileName.right(4);
}

bool isPlaceholder(const QString& fileName)
{
    return foldLetterCase(fileName) == foldLetterCase(files::kNoPicture);
}

bool isTitlesPicture(const QString& titleName, const QString& destination)
{
    const QString folded = foldLetterCase(destination);
    const QStringList names = namerules::pictureFileNames(titleName);
    return std::any_of(names.begin(), names.end(), [&](const QString& name) { return foldLetterCase(name) == folded; });
}

QStringList picturesShownInstead(const QString& titleName, const QString& destination)
{
    const QStringList inReadingOrder = namerules::pictureFileNames(titleName);
    const QString folded = foldLetterCase(destination);
    QStringList out;
    bool after = false;
    for (const QString& name : inReadingOrder) {
        if (after)
            out.append(name);
        after = after || foldLetterCase(name) == folded;
    }
    return out;
}

} // namespace coverimportrules
