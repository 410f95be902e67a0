#pragma once

#include "projects/ProjectCatalogue.h"
#include "projects/ProjectFilter.h"

#include <QColor>
#include <QIcon>
#include <QListWidget>
#include <QPixmap>

struct ListAppearance;

// 程序列表框: every project of the catalogue as an icon with its caption, in record order. Each item keeps
// its project's record number as item data, the only link from the list to the table, and the project number
// the record held when the list was filled, so a command can tell that the record still holds that project.
class ProjectListView : public QListWidget
{
    Q_OBJECT

public:
    enum Arrangement { TopAligned = 0, LeftAligned = 1, Details = 2 }; // Details: ProjectDetailsView shows it
    static constexpr int kRecordRole = Qt::UserRole;
    static constexpr int kNumberRole = Qt::UserRole + 1;

    explicit ProjectListView(QWidget* parent = nullptr);

    // Refills the list from the project and type tables. No item is selected afterwards.
    void loadProjectList();

    // True when a project is selected; otherwise the warning "请选择您要操作的项目！" and false.
    bool requireSelectedProject();
    // The record number of the selected project (the current item when several are selected), or 0.
    int selectedRecordNumber() const;
    // The caption of that project's item ("name version"), or empty.
    QString selectedCaption() const;
    // The record numbers of every selected item, in list order.
    QList<int> selectedRecordNumbers() const;

    // What a command acts on, taken when it starts: the record number of the selected project
    // (selectedRecordNumber), or those of every selected item, once each record has been found to hold still
    // the project number its item showed. Nothing selected: the warning "请选择您要操作的项目！" and 0 (an
    // empty list). A record that holds another project (the table was changed from elsewhere, where the
    // same record number may now be a neighbour): the list is filled again, the warning
    // "项目列表已变化，请重新选择！" is shown and the answer is 0 (an empty list), so nothing is done to a
    // project the user did not choose.
    int takeSelectedProject();
    QList<int> takeSelectedProjects();

    // Shows only the projects whose number, name or version contains `text`; an empty text shows every
    // project. Hidden items keep their record numbers and lose their selection, so a command never acts on a
    // project the user cannot see. The text stays in force when the list is refilled.
    // With full text, a text of one or two characters is searched for only once typing pauses: it is found
    // through every trigram that begins with it, which for a common letter is most of the index.
    void setFilterText(const QString& text);
    // With full text, the search also keeps the projects whose notes, design plan, bug report or upgrade history
    // contains the text.
    void setFullText(bool fullText);
    // Runs a search that waits for typing to pause (see setFilterText) at once.
    void settleFilter();
    // How many rows the search shows (every row while no text is typed).
    int shownCount() const { return count() - m_hiddenCount; }
    // Reads what the filter searches, once per fill; the find bar calls it when it opens, so the first
    // keystroke costs no more than the next.
    void prepareFilter();

    Arrangement arrangement() const { return m_arrangement; }
    void setArrangement(int arrangement); // anything but 1 or 2 is top-aligned
    // The columns the last fill read, row by row.
    const ProjectCatalogue::Columns& columns() const { return m_columns; }
    // False for a row the find bar hides.
    bool isShownRow(int row) const { return !isHiddenRow(row); }

    // Icons, colours and background picture as the settings say.
    void applyAppearance(const ListAppearance& look);

    // Entry 0 is the default project icon, entry i the icon of type record i.
    void setTypeIcons(const QList<QIcon>& icons);
    QIcon typeIcon(int entry) const;
    void setColours(const QColor& text, const QColor& textBackground, const QColor& background);
    // An empty or unreadable picture shows none. While a picture is shown captions have no background.
    void setBackgroundImage(const QString& path, bool tiled);
    void clearBackgroundImage();
    bool hasBackgroundImage() const { return !m_background.isNull(); }
    bool backgroundTiled() const { return m_tiled; }
    QColor textBackground() const; // invalid while a background picture is shown

Q_SIGNALS:
    // Text for part 4 of the status bar: "就绪", or "最后更新：" and the selected project's last update.
    void statusTextChanged(const QString& text);
    // A double click anywhere in the list, on an item or on empty space: the execute command decides.
    void listDoubleClicked();
    // Local files or folders were dropped on the list: the user wants each added as a new project's package.
    // Sent once the drop has been answered, so the file manager is never held while the windows are open.
    void packagesDropped(const QStringList& paths);
    // The list was filled again (refilled) or a search changed which rows it shows.
    void rowsShownChanged(bool refilled);

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override; // as dragMoveEvent
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool recordsStillHoldTheirProjects(const QList<int>& rows);
    QList<int> selectedRows() const;
    int selectedRow() const; // the row of selectedRecordNumber(), or -1
    void showSelectedProjectStatus();
    QString lastUpdateText(int recordNumber);
    void applyFlow();
    void applyFilter();
    bool isHiddenRow(int row) const;

    Arrangement m_arrangement = TopAligned;
    QList<QIcon> m_icons;
    QPixmap m_background;
    bool m_tiled = true;
    QColor m_textBackground;
    QString m_filterText;
    ProjectCatalogue::Columns m_columns;
    ProjectFilter m_filter;
    bool m_filterLoaded = false; // the filter holds the projects of the current fill
    std::vector<bool> m_hidden;  // per row, as last applied
    int m_hiddenCount = 0;
    bool m_fullText = false;
    class QTimer* m_pause;
};
