#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class ProjectForm;

// 更新项目: edits the properties of one project and, given a file, replaces its stored package. The number
// cannot be changed here.
class UpdateProjectWindow : public QDialog
{
    Q_OBJECT

public:
    // `recordNumber` is the project's record in the project table (updateRecordNumber), taken when it opens.
    explicit UpdateProjectWindow(int recordNumber, QWidget* parent = nullptr);
    ~UpdateProjectWindow() override;

    // The command behind 更新按钮 and "&P.更新": the window, modal.
    static void edit(int recordNumber, QWidget* parent);

private:
    void load();
    void confirm();

    int m_record;
    std::unique_ptr<ProjectForm> m_form;
};
