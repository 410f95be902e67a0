#pragma once

#include "backup/DataBackup.h"

#include <QDialog>

#include <functional>

// 数据库: backs the whole data folder up into one archive and restores it from one.
class BackupWindow : public QDialog
{
    Q_OBJECT

public:
    explicit BackupWindow(QWidget* parent = nullptr);

    // The command behind 数 据 库: the window, modal.
    static void backUpOrRestore(QWidget* parent);
    // At start: tells what became of a restore that a kill cut off (StartRecovery completed or undid it).
    static void tellInterruptedRestore(QWidget* parent, DataBackup::Interrupted interrupted);

private:
    void backUp();
    void restore();
};
