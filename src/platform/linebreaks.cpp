#include "linebreaks.h"

#include <QFontMetrics>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\u3000';
}

// Characters a line does not start with, and those it does not end with.
bool noStart(QChar c)
{
    return u"、。，．,.!?！？）」』】〕〉》：；:;ー…・ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮ"_s.contains(c);
}

bool noEnd(QChar c)
{
    return u"（「『【〔〈《"_s.contains(c);
}

bool endsPhrase(QChar c)
{
    return u"、。，．！？）」』】〕〉》"_s.contains(c);
}

bool latinWord(QChar c)
{
    return c.unicode() < 0x80 && !isSpace(c) && c != u'/' && c != u'\\';
}

bool hiragana(QChar c)
{
    return c >= u'\u3041' && c <= u'\u309f';
}

bool katakana(QChar c)
{
    return c >= u'\u30a1' && c <= u'\u30ff' && c != u'・';
}

// How good a break before position i is: 3 after a space or the end of a phrase; 2
// where a word likely starts (after hiragana before another script, after the
// particle を, after ・ or a slash); 1 between two other characters that may part; 0
// inside a katakana or Latin word, or where a mark would be stranded.
int breakQuality(QStringView line, qsizetype i)
{
    const QChar before = line[i - 1];
    const QChar after = line[i];
    if (isSpace(after) || noStart(after) || noEnd(before))
        return 0;
    if (isSpace(before) || endsPhrase(before))
        return 3;
    if ((latinWord(before) && latinWord(after)) || (katakana(before) && katakana(after)))
        return 0;
    if (before == u'を' || before == u'/' || before == u'\\' || before == u'・' || (hiragana(before) && !hiragana(after)))
        return 2;
    return 1;
}

QStringView withoutTrailingSpaces(QStringView text)
{
    while (!text.isEmpty() && isSpace(text.back()))
        text.chop(1);
    return text;
}

void breakLine(const QString& line, int width, const std::function<int(QStringView)>& advance, QStringList& out)
{
    QStringView rest(line);
    bool broken = false;
    while (true) {
        // Spaces where the line broke are not carried over.
        if (broken) {
            while (!rest.isEmpty() && isSpace(rest.front()))
                rest = rest.mid(1);
            if (rest.isEmpty())
                return;
        }
        if (rest.size() <= 1 || advance(withoutTrailingSpaces(rest)) <= width) {
            out.append(rest.toString());
            return;
        }
        // The longest start of the rest that fits, spaces at its end not counting.
        qsizetype fits = 1;
        while (fits < rest.size() && advance(withoutTrailingSpaces(rest.left(fits + 1))) <= width)
            ++fits;
        qsizetype best = fits;
        int bestQuality = 0;
        for (qsizetype i = fits; i > 0 && bestQuality < 3; --i) {
            const int quality = breakQuality(rest, i);
            if (quality > bestQuality) {
                best = i;
                bestQuality = quality;
            }
        }
        const QStringView head = withoutTrailingSpaces(rest.left(best));
        out.append((head.isEmpty() ? rest.left(best) : head).toString());
        rest = rest.mid(best);
        broken = true;
    }
}

} // namespace

QStringList brokenLines(const QString& text, int width, const std::function<int(QStringView)>& advance)
{
    QStringList out;
    for (const QString& line : text.split(u'\n'))
        breakLine(line, width, advance, out);
    return out;
}

QStringList brokenLines(const QString& text, int width, const QFontMetrics& metrics)
{
    return brokenLines(text, width, [&metrics](QStringView part) { return metrics.horizontalAdvance(part.toString()); });
}

int widestLine(const QStringList& lines, const QFontMetrics& metrics)
{
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}
