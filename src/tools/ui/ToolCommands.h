#pragma once

#include <QList>

#include <functional>

class QWidget;
class ToolPage;

// The commands of the tool page and the "工具" menu, in the shape of the project commands: the record numbers they
// act on (taken when the command starts; 0 or none when no tool is chosen, which they say), the parent of their
// windows and messages, and the notice to call after a change, on which the list is filled again (the record
// numbers it holds shift when a record goes).
namespace ToolCommands {

using Changed = std::function<void()>;

// The wait cursor while the list is filled, then the page shows.
void showToolPanel(ToolPage* page);
void addTools(QWidget* parent, const Changed& changed);
void editTool(int record, QWidget* parent, const Changed& changed);
void deleteTools(const QList<int>& records, QWidget* parent, const Changed& changed);
void viewNote(int record, QWidget* parent);
void showPath(int record, QWidget* parent);

} // namespace ToolCommands
