#pragma once

#include "projects/PackageChanges.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;

// One side of a comparison as the user knows it: "当前版本" or the time a version was kept, and its package.
struct ComparedPackage
{
    QString label;
    PackageChanges::Package package;
};

// What differs between two packages of a project: the files added, changed and removed, each list under its
// heading. Enter or a double click on a file shows it line by line (LineDiffWindow).
class VersionCompareWindow : public QDialog
{
    Q_OBJECT

public:
    VersionCompareWindow(const ComparedPackage& before, const ComparedPackage& after,
                         const PackageChanges::Changes& changes, QWidget* parent = nullptr);

    // The command behind 比较: reads both packages (with progress for big single files), then tells that they hold
    // the same files, shows a single file's two states line by line, or shows this window, modal.
    static void compare(QWidget* parent, const ComparedPackage& before, const ComparedPackage& after);

    // The file at `path` line by line (a removed file is only before, an added one only after), or a sentence
    // telling why it cannot be.
    static void showFile(QWidget* parent, const ComparedPackage& before, const ComparedPackage& after,
                         const QString& path, bool onBefore, bool onAfter);

private:
    void openItem(QListWidgetItem* item);

    ComparedPackage m_before;
    ComparedPackage m_after;
};
