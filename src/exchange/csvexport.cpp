#include "csvexport.h"

#include "store/cp932.h"

using namespace Qt::Literals::StringLiterals;

namespace csvexport {

QString field(const QString& text)
{
    const bool quoted = text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
    if (!quoted)
        return text;
    QString doubled = text;
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
    return out;
}

} // namespace csvexport
