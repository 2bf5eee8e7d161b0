#pragma once

#include <QString>

class QComboBox;
class QLineEdit;

// The typed fields of the lists' edit panels.
namespace editfields {

// An editable combo that never completes typed text into another entry and never adds
// what is typed on its own: the adding routines decide what becomes an entry.
QComboBox* editableCombo(const QString& name);

// The text of a one-line box in its stored form, which the box then shows (the line
// box's counterpart of typedText for combos and memos).
QString typedText(QLineEdit& box);

} // namespace editfields
