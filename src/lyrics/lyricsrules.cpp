#include "lyricsrules.h"

#include "store/collectionfiles.h"
#include "store/tracktable.h"

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

std::optional<std::pair<QString, QString>> songOfLyricsFile(const QString& fileName, const TrackTable& tracks)
{
    const QString middle = fileName.mid(files::kLyricsPrefix.size(),
                                        fileName.size() - files::kLyricsPrefix.size() - 4);
    const qsizetype first = middle.indexOf(u'_');
    if (first < 0)
        return std::nullopt;
    for (qsizetype at = first; at >= 0; at = middle.indexOf(u'_', at + 1)) {
        QString song = middle.left(at);
        QString artist = middle.mid(at + 1);
        if (tracks.contains(song, artist))
            return std::pair{std::move(song), std::move(artist)};
        if (const TrackRecord* named = tracks.namedInLyricsFile(song, artist))
            return std::pair{named->name, named->artist};
    }
    return std::pair{middle.left(first), middle.mid(first + 1)};
}

int countHits(QStringView text, QStringView key)
{
    if (key.isEmpty())
        return 0;
    int hits = 0;
    for (qsizetype at = text.indexOf(key); at >= 0; at = text.indexOf(key, at + key.size()))
        ++hits;
    return hits;
}

QString pdfFileName(const QString& song, const QString& artist)
{
    QString name = song.isEmpty() ? u"歌詞"_s : artist.isEmpty() ? song : song + u"（"_s + artist + u"）"_s;
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c == u'\\' || c == u'/' || c == u':' || c == u'*' || c == u'?' || c == u'"'
            || c == u'<' || c == u'>' || c == u'|')
            c = u'_';
    }
    return name + u".pdf"_s;
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
