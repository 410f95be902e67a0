#pragma once

class MainWindow;
class QWidget;

// Execute: turns a catalogue project into a working copy below the execution directory, opens the file to
// work on and lists the work in the executed-projects panel.
namespace ExecuteCommand {

// The command behind 执行按钮, "&R.执行" and a double click on 程序列表框.
void executeSelectedProject(MainWindow* window);

// Execute of the project with this record number of the project table.
void executeProject(int recordNumber, QWidget* parent);

} // namespace ExecuteCommand
