#include "namerules.h"

#include "collectionfiles.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace namerules {

namespace {

// Where a name goes, for the characters it may not hold there.
enum Use : unsigned {
    TitleName = 1u << 0,
    TrackList = 1u << 1,       // a title's list, one song a line
    CompilationList = 1u << 2, // a compilation's list, "song/artist" a line
};

struct Forbidden {
    char16_t character;
    unsigned refusedIn;
};

// The characters names may not hold, in the order a track list reports them. File
// systems take ',' and ';', but titles and lists never held them. Song and artist names
// may hold any of them in a lyrics file name, in full-width form.
constexpr unsigned kEverywhere = TitleName | TrackList | CompilationList;
constexpr Forbidden kForbidden[] = {
    {u'\\', kEverywhere},
    {u':', kEverywhere},
    {u',', kEverywhere},
    {u';', kEverywhere},
    {u'*', kEverywhere},
    {u'?', kEverywhere},
    {u'"', kEverywhere},
    {u'<', kEverywhere},
    {u'>', kEverywhere},
    {u'|', kEverywhere},
    {u'/', TitleName | TrackList},
};

// The first character of the table, in its order, that text holds and use refuses.
QChar firstForbidden(QStringView text, Use use)
{
    for (const Forbidden& f : kForbidden) {
        if ((f.refusedIn & use) && text.contains(QChar(f.character)))
            return f.character;
    }
    return {};
}

// Whether Windows keeps name for a device: CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9
// in any letter case, alone or before an extension ("nul.jpg"); blanks before the
// extension do not count.
bool isDeviceName(QStringView name)
{
    const qsizetype dot = name.indexOf(u'.');
    QStringView base = dot < 0 ? name : name.left(dot);
    while (base.endsWith(u' '))
        base.chop(1);
    const auto is = [&](QStringView device) { return base.left(3).compare(device, Qt::CaseInsensitive) == 0; };
    if (base.size() == 3)
        return is(u"CON") || is(u"PRN") || is(u"AUX") || is(u"NUL");
    return base.size() == 4 && (is(u"COM") || is(u"LPT")) && base[3] >= u'1' && base[3] <= u'9';
}

NameRefusal fromText(const TextRefusal& text, const QString& title)
{
    const auto reason = text.kind == TextRefusal::Kind::ControlCharacter ? NameRefusal::Reason::ControlCharacter
        : text.kind == TextRefusal::Kind::Unstorable                     ? NameRefusal::Reason::Unstorable
                                                                         : NameRefusal::Reason::ForbiddenCharacter;
    return {reason, text.character, text.message(), title};
}

const QString kInputLimit = u"入力制限"_s;
const QString kForbiddenInTitles = u"\\ / : , ; * ? < > |　の文字は使えません。"_s;

// The characters no file name can hold, and the full-width forms that stand for them.
const QString kNotInFileNames = u"\\/:*?\"<>|"_s;
const QString kFullWidth = u"＼／：＊？＂＜＞｜"_s;

} // namespace

QString lyricsNamePart(const QString& name)
{
    QString part = name;
    for (QChar& c : part) {
        const qsizetype at = kNotInFileNames.indexOf(c);
        if (at >= 0)
            c = kFullWidth[at];
    }
    return part;
}

QString lyricsFileName(const QString& song, const QString& artist)
{
    return files::kLyricsPrefix + lyricsNamePart(song) + u'_' + lyricsNamePart(artist) + u".txt"_s;
}

QStringList pictureFileNames(const QString& titleName)
{
    return {titleName + u".jpg"_s, titleName + u".gif"_s, titleName + u".bmp"_s};
}

bool fitsFileName(QStringView fileName)
{
    return fileName.size() <= 255 && fileName.toUtf8().size() <= 255;
}

std::optional<NameRefusal> titleNameRefusal(QStringView name)
{
    if (const QChar c = firstForbidden(name, TitleName); !c.isNull())
        return NameRefusal{NameRefusal::Reason::ForbiddenCharacter, c, kForbiddenInTitles, kInputLimit};
    if (const std::optional<TextRefusal> text = refusalOf(name, {.oneLine = true}))
        return fromText(*text, kInputLimit);
    if (isDeviceName(name) || name.endsWith(u'.') || name.endsWith(u' '))
        return NameRefusal{NameRefusal::Reason::NotOnWindows, {},
                           kForbiddenInTitles + u"\r\n"_s
                               + u"CON・PRN・AUX・NUL・COM1～COM9・LPT1～LPT9 という名前（後ろに「.」と何かが付いたものも）と、"
                                 "最後が「.」や空白の名前も使えません。"_s,
                           kInputLimit};
    if (!fitsFileName(files::trackListFile(name.toString())))
        return NameRefusal{NameRefusal::Reason::TooLong, {}, u"タイトル名が長すぎます。\r\n短くしてください。"_s, kInputLimit};
    return std::nullopt;
}

std::optional<NameRefusal> trackListRefusal(QStringView list, bool compilation)
{
    if (const QChar c = firstForbidden(list, compilation ? CompilationList : TrackList); !c.isNull())
        return NameRefusal{NameRefusal::Reason::ForbiddenCharacter, c,
                           c + u" の文字は使えないので何かに置き換えてください。"_s, u"使用不可文字"_s};
    if (const std::optional<TextRefusal> text = refusalOf(list, {}))
        return fromText(*text, text->title());
    return std::nullopt;
}

std::optional<NameRefusal> lyricsNameRefusal(const QString& song, const QString& artist)
{
    const auto refused = [&](NameRefusal::Reason reason, const QString& character, const QString& what) {
        return NameRefusal{reason, character,
                           u"曲名「%1」とアーティスト名「%2」には、ファイル名に使えない%3が含まれるため、歌詞を保存できません。"_s
                                   .arg(song, artist, what)
                               + u"\r\n\r\n"_s + u"曲目の文字を直してから保存してください。"_s,
                           u"保存できません"_s};
    };
    for (const QString* part : {&song, &artist}) {
        if (std::any_of(part->begin(), part->end(), isControlCharacter))
            return refused(NameRefusal::Reason::ControlCharacter, {}, u"制御文字"_s);
    }
    if (!fitsFileName(lyricsFileName(song, artist)))
        return refused(NameRefusal::Reason::TooLong, {}, u"長すぎる名前"_s);
    return std::nullopt;
}

} // namespace namerules
