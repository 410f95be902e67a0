#pragma once

#include <QDialog>
#include <QList>

#include <functional>

class QCheckBox;

// The small dialog that deletes the selected projects, with their package files when 关联文件选择框 is
// ticked. The box's state is remembered in Install.ini whenever the dialog closes.
class DeleteProjectWindow : public QDialog
{
    Q_OBJECT

public:
    // `recordNumbers` are the selected projects, taken when the command starts.
    explicit DeleteProjectWindow(const QList<int>& recordNumbers, QWidget* parent = nullptr);

    // The command behind 删除按钮 and "&D.删除项目".
    static void deleteProjects(const QList<int>& recordNumbers, QWidget* parent);

    void done(int result) override;

private:
    void confirm();

    QList<int> m_records;
    QCheckBox* m_withPackages;
};
