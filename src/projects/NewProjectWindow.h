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
    explicit NewProjectWindow(ProjectListView* list, QWidget* parent = nullptr);

private:
    void browse();
    void confirm();
    bool storeRecord(const QString& number);
    void prepareForNextProject();

    ProjectListView* m_list;
    QLineEdit* m_number;
    QLineEdit* m_name;
    QComboBox* m_type;
    QLineEdit* m_version;
    QDateEdit* m_date;
    QLineEdit* m_package;
    QPlainTextEdit* m_notes;
};
