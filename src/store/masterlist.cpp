#include "masterlist.h"

#include "datafolder.h"
#include "records.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A line list holds a name per line, so a name cannot hold a line end itself.
WriteResult refuseLineBreaks(Master master, const QStringList& names)
{
    for (const QString& name : names) {
        if (name.contains(u'\r') || name.contains(u'\n'))
            return WriteResult::refused(masterFileName(master), {TextRefusal::Kind::ControlCharacter, {}});
    }
    return WriteResult::success();
}

} // namespace

QString masterFileName(Master master)
{
    switch (master) {
    case Master::Artist: return u"歌手マスタ.txt"_s;
    case Master::TitleGenre: return u"ジャンルマスタ.txt"_s;
    case Master::Media: return u"メディアマスタ.txt"_s;
    case Master::SongGenre: return u"ジャンルマスタ２.txt"_s;
    case Master::Lyricist: return u"作詞マスタ.txt"_s;
    case Master::Composer: return u"作曲マスタ.txt"_s;
    case Master::Arranger: return u"編曲マスタ.txt"_s;
    }
    return {};
}

QStringList ReadMaster(DataFolder& folder, Master master)
{
    const std::optional<QString> text = folder.readText(masterFileName(master));
    return text ? splitLines(*text) : QStringList();
}

WriteResult AppendMasterName(DataFolder& folder, Master master, const QString& name)
{
    const WriteResult refused = refuseLineBreaks(master, {name});
    if (!refused.ok())
        return refused;
    return folder.append(masterFileName(master), joinLines({name}));
}

WriteResult WriteMaster(DataFolder& folder, Master master, const QStringList& names)
{
    const WriteResult refused = refuseLineBreaks(master, names);
    if (!refused.ok())
        return refused;
    return folder.rewrite(masterFileName(master), joinLines(names));
}
