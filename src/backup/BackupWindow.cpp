#include "backup/BackupWindow.h"

void BackupWindow::backUpOrRestore(QWidget*)
{
}
