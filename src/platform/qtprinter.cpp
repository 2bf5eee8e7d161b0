#include "qtprinter.h"

#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

Printer::Outcome QtPrinter::print(const QTextDocument& page)
{
    // Without a printer Qt would print to nothing and the page would seem printed.
    if (QPrinterInfo::availablePrinters().isEmpty())
        return Outcome::NoPrinter;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(page.metaInformation(QTextDocument::DocumentTitle));
    QPrintDialog dialog(&printer, m_parent);
    dialog.setWindowTitle(u"印刷"_s);
    if (dialog.exec() != QDialog::Accepted)
        return Outcome::Cancelled;
    if (!printer.isValid())
        return Outcome::Failed;
    page.print(&printer);
    const QPrinter::PrinterState state = printer.printerState();
    return state == QPrinter::Error || state == QPrinter::Aborted ? Outcome::Failed : Outcome::Printed;
}

QString QtPrinter::pdfFileName(const QString& suggested)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(m_parent, u"PDF ファイルとして保存"_s, QDir(folder).filePath(suggested), u"PDF ファイル (*.pdf)"_s);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog adds ".pdf" itself, so its question before replacing a file is asked
    // about the file that will really be written. A desktop's own dialog would ask about
    // the name as typed, before the suffix is added: Qt's dialog is used.
    dialog.setDefaultSuffix(u"pdf"_s);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
