#pragma once

#include <QCoreApplication>
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
inline void paintFocusFrame(QWidget& widget)
{
    if (!widget.hasFocus())
        return;
    QPainter painter(&widget);
    painter.setPen(QPen(widget.palette().brush(QPalette::Highlight), 2));
    painter.drawRect(QRectF(widget.rect()).adjusted(1, 1, -1, -1));
}
