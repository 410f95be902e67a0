#pragma once

#include <QString>
#include <QWidget>

// Described controls carry their name twice: as objectName for tests and as accessibleName for screen
// readers and accessibility-driven clients, which Qt does not derive from the object name.
template <typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    widget->setAccessibleName(name);
    return widget;
}
