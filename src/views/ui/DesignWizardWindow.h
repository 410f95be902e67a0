#pragma once

#include <QDialog>
#include <QList>

class QDateEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// 设计向导: composes a design document page by page and saves it as a text file. Not modal: the main window
// stays usable while it is open. Its texts live only in its boxes, so closing it without saving asks first.
class DesignWizardWindow : public QDialog
{
    Q_OBJECT

public:
    explicit DesignWizardWindow(QWidget* owner = nullptr);

    // Opens a new wizard, empty on its first page, owned by `owner` (the main window); it deletes itself
    // when closed.
    static DesignWizardWindow* open(QWidget* owner);

    // Esc and the close box: texts typed on any page go only after the user agrees.
    void reject() override;

private:
    void next();
    void previous();
    void insertDate();
    void refreshButtons();
    bool save();

    QTabWidget* m_pages;
    QList<QPlainTextEdit*> m_texts;
    QDateEdit* m_date;
    QPushButton* m_previous;
    QPushButton* m_next;
};
