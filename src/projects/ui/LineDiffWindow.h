#pragma once

#include "projects/LineDiff.h"

#include <QDialog>

class QLabel;
class QTableView;

// A changed file read line by line, read only: each line once, with its numbers in the earlier and the later
// file, removed lines marked "-" on red, added ones "+" on green. F7 and Shift+F7 (or the two buttons) go to the
// next and the previous change.
class LineDiffWindow : public QDialog
{
    Q_OBJECT

public:
    LineDiffWindow(const QString& path, const QString& beforeLabel, const QString& afterLabel,
                   QList<LineDiff::Line> lines, QWidget* parent = nullptr);

    // Moves to the first line of the next (forward) or previous change; false when there is none that way.
    bool goToChange(bool forward);

private:
    QList<LineDiff::Line> m_lines;
    QList<int> m_changeStarts; // rows where a run of removed or added lines begins
    QTableView* m_view;
    QLabel* m_where;
};
