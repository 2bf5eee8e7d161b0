#include "lyricsrules.h"

#include "store/collectionfiles.h"

using namespace Qt::Literals::StringLiterals;

namespace lyricsrules {

std::pair<QString, QString> splitLyricsFileName(const QString& fileName)
{
    const QString middle = fileName.mid(files::kLyricsPrefix.size(),
                                        fileName.size() - files::kLyricsPrefix.size() - 4);
    const qsizetype underscore = middle.indexOf(u'_');
    if (underscore < 0)
        return {middle, QString()};
    return {middle.left(underscore), middle.mid(underscore + 1)};
}

QString fileTextOfLyrics(const QString& boxText)
{
    QString text = boxText;
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\n', u"\r\n"_s);
    return text + u"\r\n"_s;
}

QString lyricsOfFileText(const QString& fileText)
{
    QString text = fileText;
    if (text.endsWith(u"\r\n"_s))
        text.chop(2);
    else if (text.endsWith(u'\n'))
        text.chop(1);
    text.replace(u"\r\n"_s, u"\n"_s);
    return text;
}

} // namespace lyricsrules
