#include "tools/ui/ToolCommands.h"

#include "tools/ToolTable.h"
#include "tools/ui/NoteViewerWindow.h"
#include "tools/ui/ToolEditorWindow.h"
#include "tools/ui/ToolPage.h"
#include "ui/common/Prompt.h"

#include <QApplication>

using namespace Qt::StringLiterals;

namespace ToolCommands {

void showToolPanel(ToolPage* page)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    page->loadToolList();
    QApplication::restoreOverrideCursor();
}

namespace {

// The record of the tool the user chose, or 0 after `warning`.
int requireTool(int record, QWidget* parent, const QString& warning)
{
    if (record <= 0)
        Prompt::warning(parent, warning);
    return record > 0 ? record : 0;
}

void runEditor(int record, QWidget* parent)
{
    ToolEditorWindow editor(record, parent);
    editor.exec();
}

} // namespace

void addTools(QWidget* parent)
{
    runEditor(0, parent);
}

void editTool(int record, QWidget* parent)
{
    if (requireTool(record, parent, u"请选择您要编辑的工具或资源！"_s) == 0)
        return;
    runEditor(record, parent);
}

void deleteTools(const QList<int>& records, QWidget* parent)
{
    if (records.isEmpty()) {
        Prompt::warning(parent, u"请选择您要删除的工具或资源！"_s);
        return;
    }
    if (!Prompt::question(parent, u"您确定要删除所选定的工具或资源吗？"_s))
        return;
    ToolTable::removeRecords(records);
}

void viewNote(int record, QWidget* parent)
{
    if (requireTool(record, parent, u"请选择您要查看的工具或资源项目！"_s) == 0)
        return;
    NoteViewerWindow viewer(record, parent);
    viewer.exec();
}

void showPath(int record, QWidget* parent)
{
    if (requireTool(record, parent, u"请选择您要查看的工具或资源项目！"_s) == 0)
        return;
    Prompt::information(parent, ToolTable::toolAt(record).path, u"路径"_s);
}

} // namespace ToolCommands
