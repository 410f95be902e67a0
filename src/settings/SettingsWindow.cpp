#include "settings/SettingsWindow.h"

void SettingsWindow::edit(QWidget*)
{
}
