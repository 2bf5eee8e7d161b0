#include "mastercombo.h"

#include "platform/dialogs.h"
#include "store/cp932.h"
#include "store/datafolder.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace mastercombo {
namespace {

class EnterFilter : public QObject {
public:
    EnterFilter(QObject* parent, std::function<void()> routine)
        : QObject(parent)
        , m_routine(std::move(routine))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                m_routine();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_routine;
};

} // namespace

void onEnter(QComboBox* combo, std::function<void()> routine)
{
    QObject* target = combo->lineEdit() ? static_cast<QObject*>(combo->lineEdit()) : combo;
    target->installEventFilter(new EnterFilter(combo, std::move(routine)));
}

bool acceptable(const QString& name, const QString& fileName, Dialogs& dialogs)
{
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
