#pragma once

class QWidget;
class ToolPage;

// The commands of the tool page and the "工具" menu. Each takes the page whose list it acts on and refills
// that list after a change, since the record numbers it stores shift when a record goes.
namespace ToolCommands {

// The wait cursor while the list is filled, then the page shows.
void showToolPanel(ToolPage* page);
void addTools(QWidget* parent, ToolPage* page);
void editTool(QWidget* parent, ToolPage* page);
void deleteTools(QWidget* parent, ToolPage* page);
void viewNote(QWidget* parent, ToolPage* page);
void showPath(QWidget* parent, ToolPage* page);

} // namespace ToolCommands
