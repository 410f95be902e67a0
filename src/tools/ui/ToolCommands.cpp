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
int requireTool(QWidget* parent, const ToolPage* page, const QString& warning)
{
    const int record = page->currentRecordNumber();
    if (record <= 0)
        Prompt::warning(parent, warning);
    return record > 0 ? record : 0;
}

} // namespace

void addTools(QWidget* parent, ToolPage* page)
{
    ToolEditorWindow editor(0, parent);
    QObject::connect(&editor, &ToolEditorWindow::catalogueChanged, page, &ToolPage::loadToolList);
    editor.exec();
}

void editTool(QWidget* parent, ToolPage* page)
{
    const int record = requireTool(parent, page, u"请选择您要编辑的工具或资源！"_s);
    if (record == 0)
        return;
    ToolEditorWindow editor(record, parent);
    QObject::connect(&editor, &ToolEditorWindow::catalogueChanged, page, &ToolPage::loadToolList);
    editor.exec();
}

void deleteTools(QWidget* parent, ToolPage* page)
{
    const QList<int> records = page->selectedRecordNumbers();
    if (records.isEmpty()) {
        Prompt::warning(parent, u"请选择您要删除的工具或资源！"_s);
        return;
    }
    if (!Prompt::question(parent, u"您确定要删除所选定的工具或资源吗？"_s))
        return;
    ToolTable::removeRecords(records);
    page->loadToolList();
}

void viewNote(QWidget* parent, ToolPage* page)
{
    const int record = requireTool(parent, page, u"请选择您要查看的工具或资源项目！"_s);
    if (record == 0)
        return;
    NoteViewerWindow viewer(record, parent);
    viewer.exec();
}

void showPath(QWidget* parent, ToolPage* page)
{
    const int record = requireTool(parent, page, u"请选择您要查看的工具或资源项目！"_s);
    if (record == 0)
        return;
    Prompt::information(parent, ToolTable::toolAt(record).path, u"路径"_s);
}

} // namespace ToolCommands
