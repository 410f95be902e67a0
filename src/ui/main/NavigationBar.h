#pragma once

#include <QFrame>

class QPushButton;
class QTabWidget;

// The frame on the left of the main window (外形框1) with the paged tab control 选择夹2: three categories of
// command buttons. The category buttons switch pages here; every other button is bound by the main window.
class NavigationBar : public QFrame
{
    Q_OBJECT

public:
    enum Page { ProjectManagement = 0, ProjectSettings = 1, SystemTools = 2 };

    explicit NavigationBar(QWidget* parent = nullptr);

    QTabWidget* pages() const { return m_pages; }
    int currentPage() const;
    void setCurrentPage(int page);
    QPushButton* button(const QString& name) const;

    // Puts the categories below the current one at the bottom of the bar, with the click sound.
    void layoutNavigationBar();

Q_SIGNALS:
    // A 项目管理 category button or a return button: the content tab should show the project list.
    void projectListRequested();

private:
    QPushButton* addButton(QWidget* page, const QString& name, const QString& caption, int top, bool category);
    void switchTo(int page);

    QTabWidget* m_pages = nullptr;
};
