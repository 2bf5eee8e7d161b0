#pragma once

#include <QString>

// The system printer, for plain text such as lyrics.
class Printer {
public:
    virtual ~Printer() = default;
    // Prints text under a heading; false when the user cancelled or printing failed.
    virtual bool printText(const QString& heading, const QString& text) = 0;
};
