#pragma once

class MainWindow;

// The commands behind the navigation buttons and the "项目" menu. Each runs to completion on the GUI thread;
// those that act on the selected project start with the list's selection guard.
namespace ProjectCommands {

void newProject(MainWindow* window);
void updateProject(MainWindow* window);
void deleteProject(MainWindow* window);
void exportProject(MainWindow* window);
void execute(MainWindow* window);
void showDetails(MainWindow* window);
void showDesignPlan(MainWindow* window);
void showBugReport(MainWindow* window);
void showUpgradeHistory(MainWindow* window);
void showRelated(MainWindow* window);
void designWizard(MainWindow* window);
void systemSettings(MainWindow* window);
void backupRestore(MainWindow* window);

} // namespace ProjectCommands
