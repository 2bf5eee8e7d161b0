#include "switchbutton.h"

#include <QAccessibleWidget>
#include <QTimer>

namespace {

class SwitchAccessible : public QAccessibleWidget {
public:
    explicit SwitchAccessible(SwitchButton* button)
        : QAccessibleWidget(button, QAccessible::CheckBox)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        const QString own = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && own.isEmpty())
            return QString(button()->text()).remove(u'&');
        return own;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }

    QStringList actionNames() const override { return QStringList{toggleAction()} + QAccessibleWidget::actionNames(); }

    void doAction(const QString& action) override
    {
        if (action != toggleAction() && action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (button()->isEnabled())
            QTimer::singleShot(0, button(), [b = button()] { b->click(); });
    }

private:
    SwitchButton* button() const { return static_cast<SwitchButton*>(widget()); }
};

QAccessibleInterface* switchAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("SwitchButton") && object && object->isWidgetType())
        return new SwitchAccessible(static_cast<SwitchButton*>(object));
    return nullptr;
}

} // namespace

SwitchButton::SwitchButton(QWidget* parent)
    : QToolButton(parent)
{
    static const bool factory = (QAccessible::installFactory(switchAccessible), true);
    Q_UNUSED(factory);
    setCheckable(true);
}

void SwitchButton::setPictures(const QString& on, const QString& off)
{
    QIcon icon;
    icon.addFile(on, {}, QIcon::Normal, QIcon::On);
    icon.addFile(off, {}, QIcon::Normal, QIcon::Off);
    setIcon(icon);
}
