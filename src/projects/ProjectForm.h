#pragma once

#include "store/ProjectRecord.h"

#include <QString>

class QComboBox;
class QDateEdit;
class QDialog;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The boxes 新建项目 and 更新项目 share: number, name, type, version, start time, package with its browse
// button and notes in the group box 分组框1, and 确定 and 取消 below it. 更新项目 adds its 更新时间 row,
// which pushes the rows below it down.
class ProjectForm
{
public:
    // Where the two windows differ: the top of each row, the rows' own names and the buttons' place.
    struct Shape
    {
        int groupHeight;
        int labelTops[8]; // number, name, type, version, start, last update (unused without one), package, notes
        int boxTops[8];   // likewise
        int browseTop;
        QString startName;
        QString browseName;
        QString packageFilter; // of the open dialog behind the browse button
        bool withLastUpdate;
        int buttonsLeft;
        int buttonsTop;
    };

    ProjectForm(QDialog* dialog, const Shape& shape);

    // The properties as the boxes hold them now; the package is not part of the record.
    ProjectRecord edited() const;

    QGroupBox* group;
    QLineEdit* number;
    QLineEdit* name;
    QComboBox* type;
    QLineEdit* version;
    QDateEdit* start;
    QDateEdit* lastUpdate = nullptr;
    QLineEdit* package;
    QPushButton* browse;
    QPlainTextEdit* notes;
    QPushButton* ok;
    QPushButton* cancel;
};
