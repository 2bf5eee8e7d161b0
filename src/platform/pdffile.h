#pragma once

#include <QString>

class QTextDocument;

// Writes page as a PDF file at path (A4), whole or not at all: a file already there is
// replaced only once the new one is complete. Returns an empty string when the file is
// written, else what the system said went wrong.
QString savePdf(const QTextDocument& page, const QString& path);
