#include "titlerules.h"

#include "store/filelisting.h"
#include "store/collectionfiles.h"
#include "store/masterlist.h"

using namespace Qt::Literals::StringLiterals;

namespace titlerules {

bool hasForbiddenNameCharacter(QStringView name)
{
    for (const QChar c : name) {
        if (u"\\/:,;*?\"<>|"_s.contains(c))
            return true;
    }
    return false;
}

bool hasControlCharacter(QStringView name)
{
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

TitleRecord newTitle(const QString& name, const QDate& today)
{
    return {name, kNotEntered, kNotEntered, kUnrated, kNotEntered, today.toString(u"yyyy/MM/dd"_s), QString()};
}

namespace {

bool isProgramFile(const QString& fileName)
{
    static const QStringList fixed = [] {
        QStringList names{files::kTitles, files::kTracks, files::kSettings, files::kNoPicture};
        for (Master m : {Master::Artist, Master::TitleGenre, Master::Media, Master::SongGenre, Master::Lyricist,
                         Master::Composer, Master::Arranger})
            names.append(masterFileName(m));
        return names;
    }();
    for (const QString& own : fixed) {
        if (FileListing::matches(own, fileName))
            return true;
    }
    return FileListing::matches(files::kTrackListPrefix + u"*.txt"_s, fileName)
        || FileListing::matches(files::kLyricsPrefix + u"*.txt"_s, fileName);
}

} // namespace

QStringList filesDeletedWithTitle(const QString& name)
{
    QStringList out;
    for (const QString& extension : {u".TXT"_s, u".txt"_s, u".jpg"_s, u".bmp"_s, u".gif"_s}) {
        const QString file = name + extension;
        if (!isProgramFile(file))
            out.append(file);
    }
    return out;
}

int positionAfterDeletion(int deleted, int oldCount)
{
    return deleted == oldCount ? deleted - 1 : deleted;
}

} // namespace titlerules
