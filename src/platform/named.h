#pragma once

#include <QString>

// Gives a control its system name, the name of its member, as objectName.
template <typename T>
T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// The same, for a control no caption of its own names: spoken tells a screen reader
// what it is (a grid or list under a heading, a box beside a label).
template <typename T>
T* named(T* widget, const QString& name, const QString& spoken)
{
    widget->setAccessibleName(spoken);
    return named(widget, name);
}
