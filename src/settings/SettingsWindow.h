#pragma once

class QWidget;

// 系统设置: every setting of Install.ini, the login password and the project types. Not built yet: 系统配置
// only re-applies the settings, as it will after the window goes.
class SettingsWindow
{
public:
    // Shows the window modally; when it returns the caller re-applies the settings and refills the list.
    static void edit(QWidget* parent);
};
