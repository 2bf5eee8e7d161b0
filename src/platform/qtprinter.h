#pragma once

#include "printer.h"

#include <QPointer>
#include <QWidget>

// Prints through the desktop's print dialog and the printers the system knows (CUPS on
// Linux); asks for a PDF file's place in the desktop's save dialog.
class QtPrinter : public Printer {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    Outcome print(const QTextDocument& page) override;
    QString pdfFileName(const QString& suggested) override;

private:
    QPointer<QWidget> m_parent;
};
