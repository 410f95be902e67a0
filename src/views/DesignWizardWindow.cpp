#include "views/DesignWizardWindow.h"

void DesignWizardWindow::open(QWidget*)
{
}
