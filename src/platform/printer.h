#pragma once

#include <QString>

class QTextDocument;

// The system's printers, for a page of text such as lyrics.
class Printer {
public:
    enum class Outcome { Printed, Cancelled, NoPrinter, Failed };

    virtual ~Printer() = default;
    // Lets the user choose a printer and its settings in the platform's print dialog and
    // prints page there. NoPrinter, without a dialog, when the system has no printer;
    // Cancelled when the dialog was closed without printing; Failed when the printer
    // could not take the page.
    virtual Outcome print(const QTextDocument& page) = 0;
    // Asks where to save a page as a PDF file, offering suggested as the name; an empty
    // path when the user cancels.
    virtual QString pdfFileName(const QString& suggested) = 0;
};
