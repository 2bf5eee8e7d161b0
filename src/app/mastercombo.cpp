#include "mastercombo.h"

#include "platform/dialogs.h"
#include "store/cp932.h"
#include "store/datafolder.h"
#include "title/titlerules.h"

#include <QComboBox>
#include <QLineEdit>

namespace mastercombo {

void onEnter(QComboBox* combo, std::function<void()> routine)
{
    // The combo hands the key to its line edit, which reports it; the combo still does
    // with the key what it always does.
    QObject::connect(combo->lineEdit(), &QLineEdit::returnPressed, combo, std::move(routine));
}

bool acceptable(const QString& name, const QString& fileName, Dialogs& dialogs)
{
    if (titlerules::hasControlCharacter(name)) {
        dialogs.message(titlerules::kControlCharacterMessage, QStringLiteral("使用不可文字"), Dialogs::Icon::Exclamation);
        return false;
    }
    WriteResult refused{WriteResult::Kind::Ok, fileName, cp932::firstUnstorable(name), {}};
    if (!refused.character.isEmpty())
        refused.kind = WriteResult::Kind::Unstorable;
    else if (name.contains(u'"'))
        refused.kind = WriteResult::Kind::DoubleQuote;
    if (refused.ok())
        return true;
    dialogs.message(refused.message(), refused.title(), Dialogs::Icon::Exclamation);
    return false;
}

bool addIfNew(QComboBox* combo, Master master, const QString& name, DataFolder& folder, Dialogs& dialogs)
{
    if (combo->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return true;
    const WriteResult written = AppendMasterName(folder, master, name);
    if (!written.ok()) {
        dialogs.message(written.message(), written.title(), Dialogs::Icon::Exclamation);
        return false;
    }
    const QString shown = combo->currentText();
    combo->addItem(name);
    combo->setEditText(shown);
    return true;
}

} // namespace mastercombo
