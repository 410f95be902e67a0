#pragma once

class QWidget;

// 数据库: backs the data folder up to one archive and restores it. Not built yet: 数据库 does nothing for now.
class BackupWindow
{
public:
    // Shows the window modally; when it returns the caller refills the list, since a restore changes it.
    static void backUpOrRestore(QWidget* parent);
};
