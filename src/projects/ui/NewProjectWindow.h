#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class ProjectForm;

// 新建项目: adds one project per confirmation and stays open, cleared for the next one.
class NewProjectWindow : public QDialog
{
    Q_OBJECT

public:
    explicit NewProjectWindow(QWidget* parent = nullptr);
    ~NewProjectWindow() override;

    // The command behind 添加按钮 and "&A.添加项目": the window, modal, open for one project after another. With
    // a package path and a name (a file dropped on the list) the window opens with both boxes filled.
    static void addProjects(QWidget* parent, const QString& packagePath = {}, const QString& name = {});

    // Fills 文件包编辑框 and 名称编辑框; the rest of the window stays as it opened.
    void prefill(const QString& packagePath, const QString& name);

private:
    void confirm();
    void prepareForNextProject();

    std::unique_ptr<ProjectForm> m_form;
};
