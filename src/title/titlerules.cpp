#include "titlerules.h"

#include "store/collectionfiles.h"
#include "store/collectionnames.h"
#include "store/filelisting.h"
#include "store/masterlist.h"
#include "store/namerules.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace titlerules {

TitleRecord newTitle(const QString& name, const QDate& today)
{
    using namespace collection;
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
    for (const QString& file : QStringList{name + u".TXT"_s, name + u".txt"_s} + namerules::pictureFileNames(name)) {
        if (!isProgramFile(file))
            out.append(file);
    }
    return out;
}

std::vector<TitleRecord> titlesInListOrder(const QStringList& names, const TitleTable& titles)
{
    // The positions of each name's titles, in file order, taken one by one.
    QHash<QString, std::vector<int>> positions;
    for (int k = titles.count(); k >= 1; --k)
        positions[titles.at(k).name].push_back(k);
    std::vector<TitleRecord> out;
    out.reserve(static_cast<size_t>(names.size()));
    for (const QString& name : names) {
        const auto it = positions.find(name);
        if (it == positions.end() || it->empty())
            continue;
        out.push_back(titles.at(it->back()));
        it->pop_back();
    }
    return out;
}

int positionAfterDeletion(int deleted, int oldCount)
{
    return deleted == oldCount ? deleted - 1 : deleted;
}

qsizetype firstRefusedCharacter(const QString& name)
{
    // The shortest beginning of the name refused for a character ends with that character.
    for (qsizetype n = 1; n <= name.size(); ++n) {
        const std::optional<namerules::NameRefusal> refusal = namerules::titleNameRefusal(QStringView(name).left(n));
        using Reason = namerules::NameRefusal::Reason;
        if (refusal
            && (refusal->reason == Reason::ForbiddenCharacter || refusal->reason == Reason::ControlCharacter
                || refusal->reason == Reason::Unstorable))
            return n - 1;
    }
    return -1;
}

} // namespace titlerules
