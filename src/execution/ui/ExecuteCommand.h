#pragma once

#include <QString>

class QWidget;

// Execute: turns a catalogue project into a working copy below the execution directory and opens the file to
// work on.
namespace ExecuteCommand {

// Execute of the project with this record number of the project table. Answers the line that names the work
// in the executed-projects panel, or an empty text when there is no work to list (refused, failed, or no
// file chosen).
QString executeProject(int recordNumber, QWidget* parent);

} // namespace ExecuteCommand
