#pragma once

#include "AppFixture.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <memory>

class ExecutedProjectsWindow;
class MainWindow;

// One test's world for execute and update back: the application fixture, an execution directory below appDir
// ("work", configured without a trailing separator) and the real main window, created on first use.
class ExecutionFixture : public AppFixture
{
public:
    ExecutionFixture();
    ~ExecutionFixture();

    static QDateTime startDate();
    static QDateTime now();
    // A small ZIP package: main.e, readme.txt and lib/util.e.
    static QByteArray sourcePackage();

    QString workRoot() const; // the execution directory, without a trailing separator
    QString workDir(const QString& number) const;
    void setExecutionDir(const QString& value);

    // Appends a project record and, unless `package` is null, its stored package data/number.fd1.
    void addProject(const QString& number, const QString& type, const QByteArray& package);
    QString storedPackage(const QString& number) const;
    QByteArray storedBytes(const QString& number) const;
    int projectCount() const;
    // A field of the first record with this number; an invalid value when there is none.
    QVariant field(const QString& number, int field) const;
    // Deletes the project and its stored package, as 删除项目 does with 关联项目文件包 ticked.
    void deleteProject(const QString& number);

    MainWindow* mainWindow();
    // Selects the project in 程序列表框 and clicks 执行按钮.
    void execute(const QString& number);

    static ExecutedProjectsWindow* panel();
    // Selects a line of 已执行列表框 (an empty line: leaves the selection as it is) and clicks 更新按钮 or 放弃按钮.
    void clickUpdate(const QString& line);
    void clickAbandon(const QString& line);

private:
    void clickPanelButton(const QString& line, const QString& button);

    std::unique_ptr<MainWindow> m_main;
};
