#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// The slim bar under the project list that narrows it to the projects whose number, name or version
// contains the typed text. Its close button (and Esc, which the list page binds) clears the text and hides it.
class ProjectFindBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kHeight = 28;

    explicit ProjectFindBar(QWidget* parent = nullptr);

    QLineEdit* edit() const { return m_edit; }
    QPushButton* closeButton() const { return m_close; }

    // Shows the bar with its text selected, so typing replaces an earlier search.
    void open();
    // Clears the text (the list shows every project again) and hides the bar.
    void close();

Q_SIGNALS:
    void textChanged(const QString& text);
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class QLabel* m_label;
    QLineEdit* m_edit;
    QPushButton* m_close;
};
