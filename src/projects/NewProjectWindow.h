#pragma once

#include <QDialog>

class ProjectListView;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;

// 新建项目: adds one project per confirmation and stays open, cleared for the next one.
class NewProjectWindow : public QDialog
{
    Q_OBJECT

public:
    explicit NewProjectWindow(QWidget* parent = nullptr);

    // The command behind 添加按钮 and "&A.添加项目": the window, modal, and the list refilled after it.
    static void addProjects(QWidget* parent, ProjectListView* list);

Q_SIGNALS:
    // A project was added; the list shows it at once while the window stays open for the next one.
    void catalogueChanged();

private:
    void browse();
    void confirm();
    void prepareForNextProject();

    QLineEdit* m_number;
    QLineEdit* m_name;
    QComboBox* m_type;
    QLineEdit* m_version;
    QDateEdit* m_date;
    QLineEdit* m_package;
    QPlainTextEdit* m_notes;
};
