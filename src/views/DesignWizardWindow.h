#pragma once

class QWidget;

// 设计向导: composes a design document page by page. Not built yet: 开发向导 does nothing for now.
class DesignWizardWindow
{
public:
    // Opens the wizard, non-modal and owned by `owner` (the main window).
    static void open(QWidget* owner);
};
