#pragma once

#include "store/masterlist.h"

#include <functional>

class DataFolder;
class Dialogs;
class QComboBox;

// The master lists in the editable combo boxes: a name typed and confirmed with Enter
// is added to the combo's master when the combo does not list it yet.
namespace mastercombo {

// Makes combo an editable box named name that never completes typed text into another
// entry and never adds what is typed on its own: the adding routines decide what
// becomes an entry.
QComboBox* editable(QComboBox* combo, const QString& name);

// Runs routine with the combo's text, in its stored form (which the combo then shows),
// when Enter is pressed in combo; the key still reaches the combo.
void onEnter(QComboBox* combo, std::function<void(const QString& typed)> routine);

// Appends name to master's file and to the combo's list unless an entry of the combo
// equals it exactly. A refused write is told to the user; returns whether all went well.
bool addIfNew(QComboBox* combo, Master master, const QString& name, DataFolder& folder, Dialogs& dialogs);

// Refuses a name that a record can never hold (a line break, a double quote, a
// character CP932 lacks) with a message; returns whether name may be stored.
bool acceptable(const QString& name, Dialogs& dialogs);
// The same test without a message.
bool storable(const QString& name);

// Refuses, as acceptable() does, only a value the user changed from what is stored: a
// value left as stored is written back as it stands, whatever it holds (a tab pasted
// into a memo box of the Windows program), and never blocks a save of other values.
bool acceptableChange(const QString& value, const QString& stored, Dialogs& dialogs);

} // namespace mastercombo
