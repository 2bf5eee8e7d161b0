#include "csvexport.h"

#include "store/cp932.h"

using namespace Qt::Literals::StringLiterals;

namespace csvexport {

bool startsLikeFormula(const QString& text)
{
    if (text.isEmpty())
        return false;
    switch (text.front().unicode()) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case u'\t':
    case u'\r':
    // Japanese spreadsheets read the full-width signs as the ASCII ones.
    case u'＝':
    case u'＋':
    case u'－':
    case u'＠':
        return true;
    default:
        return false;
    }
}

QString field(const QString& text)
{
    const bool guarded = startsLikeFormula(text);
    const bool quoted = guarded || text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
    if (!quoted)
        return text;
    QString doubled = guarded ? u'\'' + text : text;
    doubled.replace(u"\""_s, u"\"\""_s);
    return u'"' + doubled + u'"';
}

QString table(const QStringList& header, const std::vector<QStringList>& rows)
{
    QString out;
    auto line = [&out](const QStringList& cells) {
        for (qsizetype c = 0; c < cells.size(); ++c) {
            if (c > 0)
                out += u',';
            out += field(cells[c]);
        }
        out += u"\r\n"_s;
    };
    line(header);
    for (const QStringList& row : rows)
        line(row);
    return out;
}

std::optional<QByteArray> encode(const QString& text, Encoding encoding, QString* bad)
{
    if (encoding == Encoding::Utf8Bom)
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QByteArray out;
    if (!cp932::encode(text, &out, bad))
        return std::nullopt;
    // Characters CP932 keeps as look-alikes (〜 as ～, − as －, ¥ as ￥) would come back
    // as other characters: they are refused as those it cannot hold are.
    const QString stored = cp932::storedForm(text);
    if (stored != text) {
        qsizetype i = 0;
        while (stored[i] == text[i])
            ++i;
        if (bad)
            *bad = text.mid(i, text[i].isHighSurrogate() ? 2 : 1);
        return std::nullopt;
    }
    return out;
}

} // namespace csvexport
