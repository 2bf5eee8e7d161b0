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
    LyricsName = 1u << 3,      // the song or the artist part of a lyrics file name
};

struct Forbidden {
    char16_t character;
    unsigned refusedIn;
};

// The characters names may not hold, in the order a track list reports them. File
// systems take ',' and ';', but titles and lists never held them; lyrics file names
// made from older lists may.
constexpr unsigned kEverywhere = TitleName | TrackList | CompilationList | LyricsName;
constexpr Forbidden kForbidden[] = {
    {u'\\', kEverywhere},
    {u':', kEverywhere},
    {u',', TitleName | TrackList | CompilationList},
    {u';', TitleName | TrackList | CompilationList},
    {u'*', kEverywhere},
    {u'?', kEverywhere},
    {u'"', kEverywhere},
    {u'<', kEverywhere},
    {u'>', kEverywhere},
    {u'|', kEverywhere},
    {u'/', TitleName | TrackList | LyricsName},
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

NameRefusal fromText(const TextRefusal& text, const QString& title)
{
    const auto reason = text.kind == TextRefusal::Kind::ControlCharacter ? NameRefusal::Reason::ControlCharacter
        : text.kind == TextRefusal::Kind::Unstorable                     ? NameRefusal::Reason::Unstorable
                                                                         : NameRefusal::Reason::ForbiddenCharacter;
    return {reason, text.character, text.message(), title};
}

const QString kInputLimit = u"入力制限"_s;

} // namespace

QString lyricsFileName(const QString& song, const QString& artist)
{
    return files::kLyricsPrefix + song + u'_' + artist + u".txt"_s;
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
        return NameRefusal{NameRefusal::Reason::ForbiddenCharacter, c,
                           u"\\ / : , ; * ? < > |　の文字は使えません。"_s, kInputLimit};
    if (const std::optional<TextRefusal> text = refusalOf(name, {.oneLine = true}))
        return fromText(*text, kInputLimit);
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
        if (const QChar c = firstForbidden(*part, LyricsName); !c.isNull())
            return refused(NameRefusal::Reason::ForbiddenCharacter, c, u"「%1」の文字"_s.arg(c));
        if (std::any_of(part->begin(), part->end(), isControlCharacter))
            return refused(NameRefusal::Reason::ControlCharacter, {}, u"制御文字"_s);
    }
    if (!fitsFileName(lyricsFileName(song, artist)))
        return refused(NameRefusal::Reason::TooLong, {}, u"長すぎる名前"_s);
    return std::nullopt;
}

} // namespace namerules
