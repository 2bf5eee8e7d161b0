#include "lyricsprint.h"

#include "lyrics/lyricsrules.h"
#include "platform/dialogs.h"
#include "platform/pdffile.h"
#include "platform/printer.h"

#include <QDir>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

QFont japaneseFont(const QStringList& families, QFont::StyleHint hint, qreal points)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    return font;
}

// Mincho for the lyrics as on a lyrics card, Gothic for the heading; the first typeface
// the system has is used (Noto CJK on Linux, Yu or MS on Windows, Hiragino on macOS).
const QStringList kMincho = {u"Noto Serif CJK JP"_s, u"IPAexMincho"_s, u"IPAMincho"_s, u"Yu Mincho"_s,
                             u"MS Mincho"_s, u"Hiragino Mincho ProN"_s, u"Noto Sans CJK JP"_s};
const QStringList kGothic = {u"Noto Sans CJK JP"_s, u"IPAexGothic"_s, u"Yu Gothic"_s, u"Meiryo"_s,
                             u"MS Gothic"_s, u"Hiragino Sans"_s};

} // namespace

std::unique_ptr<QTextDocument> lyricsPage(const QString& song, const QString& artist, const QString& lyrics)
{
    auto page = std::make_unique<QTextDocument>();
    page->setMetaInformation(QTextDocument::DocumentTitle,
                             artist.isEmpty() ? song : song + u"　／　"_s + artist);
    page->setDefaultFont(japaneseFont(kMincho, QFont::Serif, 10.5));
    QTextOption wrapping = page->defaultTextOption();
    // Lyrics have no blanks to break at: a long line breaks between any two characters.
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    page->setDefaultTextOption(wrapping);

    QTextCursor cursor(page.get());
    // The document starts with one empty block, which the first paragraph takes.
    bool first = true;
    const auto paragraph = [&](const QTextBlockFormat& format) {
        if (first)
            cursor.setBlockFormat(format);
        else
            cursor.insertBlock(format);
        first = false;
    };

    // Lyrics typed into a box no song was loaded into have no heading.
    if (!song.isEmpty() || !artist.isEmpty()) {
        QTextCharFormat heading;
        heading.setFont(japaneseFont(kGothic, QFont::SansSerif, 16));
        heading.setFontWeight(QFont::Bold);
        QTextBlockFormat headingBlock;
        headingBlock.setBottomMargin(4);
        paragraph(headingBlock);
        cursor.insertText(song, heading);

        QTextCharFormat byline;
        byline.setFont(japaneseFont(kGothic, QFont::SansSerif, 11));
        byline.setForeground(QColor(0x44, 0x44, 0x44));
        QTextBlockFormat bylineBlock;
        bylineBlock.setBottomMargin(14);
        bylineBlock.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                                QTextLength(QTextLength::PercentageLength, 100));
        paragraph(bylineBlock);
        cursor.insertText(artist, byline);
    }

    QTextCharFormat body;
    body.setFont(page->defaultFont());
    QTextBlockFormat bodyBlock;
    bodyBlock.setLineHeight(125, QTextBlockFormat::ProportionalHeight);
    QString text = lyrics;
    text.replace(u"\r\n"_s, u"\n"_s);
    for (const QString& line : text.split(u'\n')) {
        paragraph(bodyBlock);
        cursor.insertText(line, body);
    }
    return page;
}

void PrintLyrics(Dialogs& dialogs, Printer& printer, const QString& song, const QString& artist,
                 const QString& lyrics)
{
    if (lyrics.isEmpty())
        return;
    if (dialogs.message(u"表示中の歌詞を印刷しますか？\r\n\r\n良かったらＯＫボタンを押してください"_s, u"印刷確認"_s,
                        Dialogs::Icon::Exclamation, Dialogs::Buttons::OkCancel)
        != Dialogs::Answer::Ok)
        return;
    const std::unique_ptr<QTextDocument> page = lyricsPage(song, artist, lyrics);
    QString offer;
    switch (printer.print(*page)) {
    case Printer::Outcome::Printed:
    case Printer::Outcome::Cancelled:
        return;
    case Printer::Outcome::NoPrinter:
        offer = u"使えるプリンタが見つかりません。\r\n\r\n代わりに PDF ファイルとして保存しますか？"_s;
        break;
    case Printer::Outcome::Failed:
        offer = u"印刷できませんでした。プリンタの電源、接続、用紙を確かめてください。\r\n\r\n"
                "代わりに PDF ファイルとして保存しますか？"_s;
        break;
    }
    if (dialogs.message(offer, u"印刷できません"_s, Dialogs::Icon::Question, Dialogs::Buttons::YesNo)
        != Dialogs::Answer::Yes)
        return;
    const QString path = printer.pdfFileName(lyricsrules::pdfFileName(song, artist));
    if (path.isEmpty())
        return;
    const QString error = savePdf(*page, path);
    const QString shown = QDir::toNativeSeparators(path);
    if (error.isEmpty())
        dialogs.message(u"歌詞を PDF ファイル「%1」に保存しました。"_s.arg(shown), u"PDF 保存"_s,
                        Dialogs::Icon::Information);
    else
        dialogs.message(u"PDF ファイル「%1」を保存できませんでした。\r\n（%2）\r\n\r\n"
                        "保存先のフォルダに書き込めるか、ディスクに空きがあるかを確かめてください。"_s.arg(shown, error),
                        u"PDF 保存失敗"_s, Dialogs::Icon::Exclamation);
}
