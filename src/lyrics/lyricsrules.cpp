#include "lyricsrules.h"

#include "store/collectionfiles.h"

using namespace Qt::Literals::StringLiterals;

namespace lyricsrules {

QString lyricsFileName(const QString& song, const QString& artist)
{
    return files::kLyricsPrefix + song + u'_' + artist + u".txt"_s;
}

std::pair<QString, QString> splitLyricsFileName(const QString& fileName)
{
    const QString middle = fileName.mid(files::kLyricsPrefix.size(),
                                        fileName.size() - files::kLyricsPrefix.size() - 4);
    const qsizetype underscore = middle.indexOf(u'_');
    if (underscore < 0)
        return {middle, QString()};
    return {middle.left(underscore), middle.mid(underscore + 1)};
}

QString unusableInFileName(const QString& song, const QString& artist)
{
    for (const QString* part : {&song, &artist}) {
        for (const QChar c : *part) {
            if (u"\\/:*?\"<>|"_s.contains(c))
                return u"「%1」の文字"_s.arg(c);
            if (c.unicode() < 0x20)
                return u"制御文字"_s;
        }
    }
    // Most file systems take 255 bytes (Linux) or 255 UTF-16 units (Windows) a name.
    const QString name = lyricsFileName(song, artist);
    if (name.size() > 255 || name.toUtf8().size() > 255)
        return u"長すぎる名前"_s;
    return {};
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
