#pragma once

#include <QDialog>

class ProjectListView;

// 数据库: backs the whole data folder up into one archive and restores it from one.
class BackupWindow : public QDialog
{
    Q_OBJECT

public:
    explicit BackupWindow(QWidget* parent = nullptr);

    // The command behind 数 据 库: the window, modal; a restore refills the project list.
    static void backUpOrRestore(QWidget* parent, ProjectListView* list);
    // At start, before any table is read: completes or undoes a restore that a kill cut off, and says which.
    static void finishInterruptedRestore(QWidget* parent);

Q_SIGNALS:
    // The data folder was restored; the catalogue on disk is another one now.
    void catalogueChanged();

private:
    void backUp();
    void restore();
};
