#include "qtprinter.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

bool QtPrinter::printText(const QString& heading, const QString& text)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(heading);
    QPrintDialog dialog(&printer, m_parent);
    dialog.setWindowTitle(u"印刷"_s);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat title;
    title.setFontPointSize(14);
    title.setFontWeight(QFont::Bold);
    cursor.insertText(heading, title);
    cursor.insertBlock();
    cursor.insertBlock();
    QTextCharFormat body;
    body.setFontPointSize(11);
    QString plain = text;
    plain.replace(u"\r\n"_s, u"\n"_s);
    cursor.insertText(plain, body);
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}
