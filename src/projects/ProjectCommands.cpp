#include "projects/ProjectCommands.h"

#include "execution/ExecuteCommand.h"
#include "projects/NewProjectWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectListView.h"

namespace ProjectCommands {

namespace {

// Commands whose windows are not built yet stop after their selection guard.
void guardOnly(MainWindow* window)
{
    window->projectList()->requireSelectedProject();
}

} // namespace

void newProject(MainWindow* window)
{
    NewProjectWindow dialog(window->projectList(), window);
    dialog.exec();
    window->projectList()->loadProjectList();
}

void updateProject(MainWindow* window)
{
    guardOnly(window);
}

void deleteProject(MainWindow* window)
{
    guardOnly(window);
}

void exportProject(MainWindow* window)
{
    guardOnly(window);
}

void execute(MainWindow* window)
{
    ExecuteCommand::executeSelectedProject(window);
}

void showDetails(MainWindow* window)
{
    guardOnly(window);
}

void showDesignPlan(MainWindow* window)
{
    guardOnly(window);
}

void showBugReport(MainWindow* window)
{
    guardOnly(window);
}

void showUpgradeHistory(MainWindow* window)
{
    guardOnly(window);
}

void showRelated(MainWindow* window)
{
    guardOnly(window);
}

void designWizard(MainWindow*)
{
}

void systemSettings(MainWindow*)
{
}

void backupRestore(MainWindow*)
{
}

} // namespace ProjectCommands
