#pragma once

class QWidget;
class ProjectListView;

// The two settings flags held in memory; only applyListAppearance sets them.
namespace AppFlags {
bool importOptional();  // "Into" = "1": a new project may be created without a package file
bool manualNumbering(); // "Number" = "1": new projects get no generated number
} // namespace AppFlags

// Turns the settings into the main window's caption, the two flags and the look of the project list:
// its icons (entry 0 the default project icon, entry i the icon of type record i), colours and background.
void applyListAppearance(QWidget* mainWindow, ProjectListView* list);

// The built-in 32×32 icon of a project whose type has no icon.
class QIcon;
QIcon defaultProjectIcon();
