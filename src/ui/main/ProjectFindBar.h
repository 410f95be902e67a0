#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The slim bar under the project list that narrows it to the projects whose number, name or version contains
// the typed text, and with 全文 ticked also those whose notes, design plan, bug report or upgrade history does.
// It tells how many projects were found; Down or Enter in the text goes on into the list. Its close button
// (and Esc, which the list page binds) clears the text and hides it.
class ProjectFindBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kHeight = 28;

    explicit ProjectFindBar(QWidget* parent = nullptr);

    QLineEdit* edit() const { return m_edit; }
    QPushButton* closeButton() const { return m_close; }
    bool fullText() const;

    // Shows the bar with its text selected, so typing replaces an earlier search.
    void open();
    // Clears the text (the list shows every project again) and hides the bar.
    void close();
    // "找到 N 个项目", or that none was found; nothing while no text is typed.
    void showFound(int found);

Q_SIGNALS:
    void textChanged(const QString& text);
    void fullTextChanged(bool fullText);
    // Down or Enter in the text: the user wants to go on to the projects found.
    void enterList();
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class QLabel* m_label;
    QLineEdit* m_edit;
    QCheckBox* m_fullText;
    class QLabel* m_found;
    QPushButton* m_close;
};
