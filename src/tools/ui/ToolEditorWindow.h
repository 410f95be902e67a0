#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

// 新建 / 编辑: adds tools one after another (the boxes empty themselves after each) or edits one in place.
// It has no cancel button: the close box leaves and discards what was typed.
class ToolEditorWindow : public QDialog
{
    Q_OBJECT

public:
    // recordNumber 0 opens the editor to add; a record number opens it to edit that record.
    explicit ToolEditorWindow(int recordNumber = 0, QWidget* parent = nullptr);

private:
    void chooseProgram();
    void confirm();

    int m_record;
    QLineEdit* m_name;
    QLineEdit* m_path;
    QPlainTextEdit* m_description;
};
