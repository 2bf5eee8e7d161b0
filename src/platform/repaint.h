#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QWidget>

// Lets the window repaint in the middle of long work, as the screens do while they
// fill. Clicks and keys wait until the work is done, so that no other screen's routine
// runs inside it.
inline void repaintNow()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Frames a control that has the keyboard in the highlight colour, for controls whose
// style marks the focus faintly or not at all. Called from the control's painting.
// The frame is painted on widget for the control that has the keyboard, which is
// widget itself unless said otherwise.
inline void paintFocusFrame(QWidget& widget, const QWidget& control)
{
    if (!control.hasFocus())
        return;
    QPainter painter(&widget);
    painter.setPen(QPen(control.palette().brush(QPalette::Highlight), 2));
    painter.drawRect(QRectF(widget.rect()).adjusted(1, 1, -1, -1));
}

inline void paintFocusFrame(QWidget& widget)
{
    paintFocusFrame(widget, widget);
}

// The same frame for a control of a standard kind (a list) that is not ours to paint: a
// see-through layer over the whole control, its scrolling area included, shown while the
// control has the keyboard.
class FocusFrame : public QWidget {
public:
    static void install(QWidget& control) { new FocusFrame(control); }

protected:
    explicit FocusFrame(QWidget& control)
        : QWidget(&control)
        , m_control(control)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
        control.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::Resize) {
            setGeometry(m_control.rect());
            raise();
        }
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            setVisible(m_control.hasFocus());
        return false;
    }

    void paintEvent(QPaintEvent*) override { paintFocusFrame(*this, m_control); }

private:
    QWidget& m_control;
};
