#include "storeerror.h"

#include "cp932.h"

#include <cerrno>

using namespace Qt::Literals::StringLiterals;

QString LoadProblem::message() const
{
    switch (kind) {
    case Kind::NotCp932:
        return u"「%1」の %2 行目に、Shift-JIS として読めない文字があります。"_s.arg(fileName).arg(line);
    case Kind::EndsWithinRecord:
        return u"「%1」が %2 行目から始まるデータの途中で終わっています。"_s.arg(fileName).arg(line);
    case Kind::QuoteInField:
        return u"「%1」の %2 行目の項目に \" の文字があります（全角の ” などに置き換えて読みました）。"_s.arg(fileName).arg(line);
    case Kind::TextAfterQuote:
        return u"「%1」の %2 行目に、\" で囲んだ項目の後ろに続く文字があります（その文字は読み飛ばしました）。"_s.arg(fileName).arg(line);
    case Kind::ZeroFilled:
        return u"「%1」は中身がすべて 0 のバイトで、何も読めませんでした（停電などで壊れたおそれがあります）。"_s.arg(fileName);
    case Kind::CaseTwins:
        return u"「%1」の %2 行目のタイトル「%3」は、%4 行目のタイトル「%5」と英字の大文字・小文字だけが違うため、曲目や画像のファイルを共有しています。"_s
            .arg(fileName)
            .arg(line)
            .arg(name)
            .arg(otherLine)
            .arg(otherName);
    case Kind::Unreadable:
        return u"「%1」を読み込めませんでした（%2）。読めるようになるまで、このファイルには書き込みません。"_s.arg(fileName, detail);
    case Kind::BadRecord:
        return u"「%1」の %2 行目を読み飛ばしました（%3）。"_s.arg(fileName).arg(line).arg(detail);
    }
    return {};
}

bool isControlCharacter(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

std::optional<TextRefusal> refusalOf(QStringView text, TextUse use)
{
    if (use.oneLine) {
        for (const QChar c : text) {
            if (isControlCharacter(c))
                return TextRefusal{TextRefusal::Kind::ControlCharacter, {}};
        }
    }
    if (QString bad = cp932::firstUnstorable(text); !bad.isEmpty())
        return TextRefusal{TextRefusal::Kind::Unstorable, std::move(bad)};
    if (use.asField && text.contains(u'"'))
        return TextRefusal{TextRefusal::Kind::DoubleQuote, u"\""_s};
    return std::nullopt;
}

QString TextRefusal::title() const
{
    return u"使用不可文字"_s;
}

QString TextRefusal::message() const
{
    switch (kind) {
    case Kind::Unstorable:
        return u"「%1」はファイルに保存できない文字です。"_s.arg(character) + u"\r\n"_s
            + u"別の文字に置き換えてください。"_s;
    case Kind::DoubleQuote:
        return u"\" の文字は保存できないので何かに置き換えてください。"_s + u"\r\n"_s
            + u"（全角の ” などが使えます）"_s;
    case Kind::ControlCharacter:
        return u"改行やタブなどの制御文字は使えないので何かに置き換えてください。"_s;
    }
    return {};
}

WriteResult WriteResult::refused(const QString& fileName, const TextRefusal& refusal)
{
    switch (refusal.kind) {
    case TextRefusal::Kind::Unstorable:
        return {Kind::Unstorable, fileName, refusal.character, {}};
    case TextRefusal::Kind::DoubleQuote:
        return {Kind::DoubleQuote, fileName, refusal.character, {}};
    case TextRefusal::Kind::ControlCharacter:
        return {Kind::ControlCharacter, fileName, {}, {}};
    }
    return {};
}

WriteResult WriteResult::ofSystemError(const QString& fileName, std::error_code error)
{
#ifdef EDQUOT
    if (error.default_error_condition() == std::error_condition(EDQUOT, std::generic_category()))
        return {Kind::DiskFull, fileName, {}, {}};
#endif
    if (error == std::errc::no_space_on_device)
        return {Kind::DiskFull, fileName, {}, {}};
    if (error == std::errc::read_only_file_system)
        return {Kind::ReadOnly, fileName, {}, readOnlyDiskReason(u"「%1」"_s.arg(fileName))};
    return {Kind::Io, fileName, {}, QString::fromLocal8Bit(error.message())};
}

QString readOnlyDiskReason(const QString& what)
{
    return u"%1は読み取り専用のディスクにあるため書き込めません"_s.arg(what);
}

QString cannotWriteReason(const QString& what, std::error_code error)
{
    switch (WriteResult::ofSystemError(what, error).kind) {
    case WriteResult::Kind::ReadOnly:
        return readOnlyDiskReason(what);
    case WriteResult::Kind::DiskFull:
        return u"%1のディスクに空きがないため書き込めません。空きを作ってから起動し直してください"_s.arg(what);
    default:
        return u"%1に書き込む権限がありません"_s.arg(what);
    }
}

QString WriteResult::title() const
{
    switch (kind) {
    case Kind::Unstorable:
    case Kind::DoubleQuote:
    case Kind::ControlCharacter:
        return TextRefusal{}.title();
    default:
        return u"書き込みエラー"_s;
    }
}

QString WriteResult::message() const
{
    switch (kind) {
    case Kind::Ok:
        return {};
    case Kind::Unstorable:
        return TextRefusal{TextRefusal::Kind::Unstorable, character}.message();
    case Kind::DoubleQuote:
        return TextRefusal{TextRefusal::Kind::DoubleQuote, character}.message();
    case Kind::ControlCharacter:
        return TextRefusal{TextRefusal::Kind::ControlCharacter, {}}.message();
    case Kind::BadFileName:
        return u"「%1」はファイル名として使えません。"_s.arg(fileName) + u"\r\n"_s
            + u"何も保存していません。"_s;
    case Kind::Io:
        return u"「%1」に書き込めませんでした。"_s.arg(fileName) + u"\r\n"_s
            + (detail.isEmpty() ? QString() : u"（%1）"_s.arg(detail) + u"\r\n"_s)
            + u"ファイルは元のままです。"_s;
    case Kind::ReadOnly:
        return u"このデータフォルダには書き込めないため、変更は保存されません。"_s + u"\r\n"_s
            + (detail.isEmpty() ? QString() : u"（%1）"_s.arg(detail) + u"\r\n"_s)
            + u"「%1」は元のままです。"_s.arg(fileName);
    case Kind::DiskFull:
        return u"ディスクの空きが足りないため、「%1」に書き込めませんでした。"_s.arg(fileName) + u"\r\n"_s
            + (detail.isEmpty() ? QString() : u"（%1）"_s.arg(detail) + u"\r\n"_s)
            + u"ファイルは元のままです。空きを作ってからもう一度操作してください。"_s;
    }
    return {};
}
