#pragma once

#include <QString>

// Gives a control its system name, the name of its member, as objectName.
template <typename T>
T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}
