#pragma once

#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

// The controls of a tab page are laid out against the width of the tab control that shows the page (the list
// spans it less five pixels each side), not against the page, which is a frame narrower. A page that is not
// in a tab control measures itself.
inline int tabWidthOf(const QWidget* page)
{
    const QWidget* stack = page->parentWidget();
    const auto* tabs = stack && qobject_cast<const QStackedWidget*>(stack)
                           ? qobject_cast<const QTabWidget*>(stack->parentWidget())
                           : nullptr;
    return tabs ? tabs->width() : page->width();
}
