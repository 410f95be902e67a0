#pragma once

class QWidget;

// Copies the stored package of the project with this record number to a file the user names, giving it back
// its file type. Answers true when the file was written; every failure has told the user already.
bool exportProject(int recordNumber, QWidget* parent);
