#include "mastercombo.h"

#include "app/tell.h"
#include "store/datafolder.h"

#include <QComboBox>
#include <QLineEdit>

namespace mastercombo {

QComboBox* editable(QComboBox* combo, const QString& name)
{
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    return combo;
}

void onEnter(QComboBox* combo, std::function<void(const QString& typed)> routine)
{
    // The combo hands the key to its line edit, which reports it; the combo still does
    // with the key what it always does.
    QObject::connect(combo->lineEdit(), &QLineEdit::returnPressed, combo,
                     [combo, routine = std::move(routine)] { routine(typedText(*combo)); });
}

namespace {

std::optional<TextRefusal> refusalOfName(const QString& name)
{
    return refusalOf(name, {.oneLine = true, .asField = true});
}

} // namespace

bool acceptable(const QString& name, Dialogs& dialogs)
{
    const std::optional<TextRefusal> refusal = refusalOfName(name);
    if (refusal)
        tellRefusal(dialogs, *refusal);
    return !refusal;
}

bool storable(const QString& name)
{
    return !refusalOfName(name);
}

bool acceptableChange(const QString& value, const QString& stored, Dialogs& dialogs)
{
    return value == stored || acceptable(value, dialogs);
}

bool addIfNew(QComboBox* combo, Master master, const QString& name, DataFolder& folder, Dialogs& dialogs)
{
    if (combo->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return true;
    const WriteResult written = AppendMasterName(folder, master, name);
    if (!written.ok()) {
        tellWriteFailure(dialogs, written);
        return false;
    }
    const QString shown = combo->currentText();
    combo->addItem(name);
    combo->setEditText(shown);
    return true;
}

} // namespace mastercombo
