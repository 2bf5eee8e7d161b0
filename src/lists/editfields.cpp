#include "editfields.h"

#include "platform/named.h"
#include "store/cp932.h"

#include <QComboBox>
#include <QLineEdit>

namespace editfields {

QComboBox* editableCombo(const QString& name)
{
    auto* combo = named(new QComboBox, name);
    combo->setEditable(true);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    return combo;
}

QString typedText(QLineEdit& box)
{
    const QString typed = box.text();
    QString stored = cp932::storedForm(typed);
    if (stored != typed) {
        // Each character is replaced by one, so the cursor stays where it was.
        const int cursor = box.cursorPosition();
        box.setText(stored);
        box.setCursorPosition(cursor);
    }
    return stored;
}

} // namespace editfields
