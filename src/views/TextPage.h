#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// Page "辅助项目" of the content tab: one project text (design plan, defect report, upgrade history) or the
// details report, with a way back to the project list and a write-out to a text file.
class TextPage : public QWidget
{
    Q_OBJECT

public:
    explicit TextPage(QWidget* parent = nullptr);

    QLabel* caption() const { return m_caption; }
    QPlainTextEdit* editor() const { return m_editor; }
    QPushButton* backButton() const { return m_back; }
    QPushButton* writeButton() const { return m_write; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_caption;
    QPlainTextEdit* m_editor;
    QPushButton* m_back;
    QPushButton* m_write;
};
