#pragma once

#include "store/namerules.h"
#include "store/storeerror.h"

#include <QString>

class Dialogs;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class TitleTable;

// Where text passes between the user and the screens. Typed or pasted text is taken in
// the form it will have once stored and read back (CP932 keeps 〜 as ～, − as －), before
// anything is compared with it or made from it, and the box then shows that form; a
// refusal or a failed write is told in a box.

QString typedText(QComboBox& box);
QString typedText(QLineEdit& box);
QString typedText(QPlainTextEdit& box);

// The number of the title named exactly name (the text of a name box the user may have
// typed into). When no title has that name the user is told so and the result is 0:
// typed text never becomes part of a file name.
int titleNamedOrTell(const TitleTable& titles, const QString& name, Dialogs& dialogs);

void tellWriteFailure(Dialogs& dialogs, const WriteResult& written);
void tellRefusal(Dialogs& dialogs, const TextRefusal& refusal);
void tellRefusal(Dialogs& dialogs, const namerules::NameRefusal& refusal);
