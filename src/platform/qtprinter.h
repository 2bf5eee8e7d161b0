#pragma once

#include "printer.h"

#include <QPointer>
#include <QWidget>

// Prints through the desktop's print dialog and the chosen printer.
class QtPrinter : public Printer {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    bool printText(const QString& heading, const QString& text) override;

private:
    QPointer<QWidget> m_parent;
};
