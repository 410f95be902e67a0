#pragma once

#include "store/ProjectRecord.h"

#include <QString>

#include <memory>
#include <optional>

class FolderPackage;
class QComboBox;
class QDateEdit;
class QDialog;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// The boxes 新建项目 and 更新项目 share: number, name, type, version, start time, package with its browse
// button and notes in the group box 分组框1, and 确定 and 取消 below it. 更新项目 adds its 更新时间 row,
// which pushes the rows below it down. 文件包 may name a file or a folder: the browse button offers both.
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

    // The path the rules take the package from: 文件包 as typed, or for a folder the ZIP package it is packed
    // into (with progress; `packed` keeps it until the rules have stored it). A folder that is not stored (no
    // package required, or nothing the rules would take: number or name empty) is not packed, only named as
    // its package. Nothing when the folder could not be packed; the user has been told why.
    std::optional<QString> packageToStore(bool stored, std::unique_ptr<FolderPackage>& packed) const;

    QGroupBox* group;
    QLineEdit* number;
    QLineEdit* name;
    QComboBox* type;
    QLineEdit* version;
    QDateEdit* start;
    QDateEdit* lastUpdate = nullptr;
    QLineEdit* package;
    QPushButton* browse;
    QMenu* browseMenu; // 选择文件 or 选择文件夹
    QPlainTextEdit* notes;
    QPushButton* ok;
    QPushButton* cancel;

private:
    QDialog* m_dialog;
};
