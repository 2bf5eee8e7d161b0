#include "storeerror.h"

using namespace Qt::Literals::StringLiterals;

QString LoadProblem::message() const
{
    switch (kind) {
    case Kind::NotCp932:
        return u"「%1」の %2 行目に、Shift-JIS として読めない文字があります。"_s.arg(fileName).arg(line);
    case Kind::EndsWithinRecord:
        return u"「%1」が %2 行目から始まるデータの途中で終わっています。"_s.arg(fileName).arg(line);
    }
    return {};
}

QString WriteResult::title() const
{
    switch (kind) {
    case Kind::Unstorable:
    case Kind::DoubleQuote:
        return u"使用不可文字"_s;
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
        return u"「%1」はファイルに保存できない文字です。"_s.arg(character) + u"\r\n"_s
            + u"別の文字に置き換えてください。"_s;
    case Kind::DoubleQuote:
        return u"\" の文字は保存できないので何かに置き換えてください。"_s + u"\r\n"_s
            + u"（全角の ” などが使えます）"_s;
    case Kind::BadFileName:
        return u"「%1」はファイル名として使えません。"_s.arg(fileName) + u"\r\n"_s
            + u"何も保存していません。"_s;
    case Kind::Io:
        return u"「%1」に書き込めませんでした。"_s.arg(fileName) + u"\r\n"_s
            + (detail.isEmpty() ? QString() : u"（%1）"_s.arg(detail) + u"\r\n"_s)
            + u"ファイルは元のままです。"_s;
    }
    return {};
}
