#pragma once

#include "views/ProjectTexts.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// Page "辅助项目" of the content tab: one project text (design plan, defect report, upgrade history), edited in
// place and saved as soon as typing pauses, or the read-only details report; with a way back to the project list and a
// write-out to a text file. The page acts on the record its command gives it, as every project command does.
class TextPage : public QWidget
{
    Q_OBJECT

public:
    explicit TextPage(QWidget* parent = nullptr);
    ~TextPage() override;

    QLabel* caption() const { return m_caption; }
    QPlainTextEdit* editor() const { return m_editor; }
    QPushButton* backButton() const { return m_back; }
    QPushButton* writeButton() const { return m_write; }

    // The commands of 步骤规划, BUG报告 and 升级历史 (a text mode), and of 详细信息, on the selected project's
    // record; 0 when none is selected, which the page says once its caption shows what was asked for.
    void showTextField(int recordNumber, ProjectTexts::Mode mode);
    void showDetails(int recordNumber);

    // `TextViewMode`: what the page shows; `viewRecordNumber`: the record whose text it edits.
    ProjectTexts::Mode textViewMode() const { return m_mode; }
    int viewRecordNumber() const { return m_record; }

    // The name "写到文件" proposes: the shown project's caption in the list and what the page shows.
    QString proposedFileName() const;

    // Writes a change not yet saved; false when the table could not be written (the text stays in the box).
    bool savePendingText();

Q_SIGNALS:
    // The page has something to show and wants to be the current page of the content tab.
    void showRequested();
    // 返回项目列表 was pressed.
    void backRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCaption(const QString& text);
    void fill(const QString& text);
    void textEdited();
    bool saveTextField();
    void writeToFile();
    void backToList();

    QLabel* m_caption;
    QPlainTextEdit* m_editor;
    QPushButton* m_back;
    QPushButton* m_write;

    ProjectTexts::Mode m_mode = ProjectTexts::DesignPlan;
    int m_record = 0;
    QString m_number;      // the project m_record held when its text was shown
    QString m_listCaption; // of the project shown, as the list names it
    bool m_filling = false;

    // A save writes the whole text and waits for the disk, so keystrokes are not saved one by one: the text
    // goes to the table once typing pauses, and at the latest a moment after the first unsaved key.
    QTimer m_saveTimer;
    QElapsedTimer m_unsavedSince; // invalid while the table holds what the box shows
};
