#pragma once

#include <QList>

#include <functional>

class QWidget;
class ToolPage;

// The commands of the tool page and the "工具" menu, in the shape of the project commands: the record numbers they
// act on (taken when the command starts; 0 or none when no tool is chosen, which they say), the parent of their
// windows and messages. The tool table tells the page of each change (CatalogueNotice), on which the list is
// filled again (the record numbers it holds shift when a record goes).
namespace ToolCommands {

// The wait cursor while the list is filled, then the page shows.
void showToolPanel(ToolPage* page);
void addTools(QWidget* parent);
void editTool(int record, QWidget* parent);
void deleteTools(const QList<int>& records, QWidget* parent);
void viewNote(int record, QWidget* parent);
void showPath(int record, QWidget* parent);

} // namespace ToolCommands
