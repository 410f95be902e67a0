#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>

// How the settings and the type table say the project list should look. Computed without a window; the
// list applies it (ProjectListView::applyAppearance) and the main window takes the caption.
struct ListAppearance
{
    QString title;         // the main window's caption
    QList<QIcon> icons;    // entry 0 the default project icon, entry i the icon of type record i
    QColor text;           // caption text
    QColor textBackground; // caption background (not shown while a background picture is)
    QColor background;     // the list's own background
    QString picture;       // background picture; empty when none is set or the file is gone
    bool tiled = true;     // the picture tiles the list; otherwise one copy at the bottom left

    // Reads Install.ini and the type table as they are now.
    static ListAppearance read();
};

// The built-in 32×32 icon of a project whose type has no icon.
QIcon defaultProjectIcon();
