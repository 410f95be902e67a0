#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

// What a screen reader says for the widget: its accessible name as Qt reports it.
inline QString spokenName(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}
