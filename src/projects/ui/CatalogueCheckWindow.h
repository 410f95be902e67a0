#pragma once

#include <QDialog>

class QLabel;
class QTreeWidget;

// 检查数据: the projects whose package file is gone, and the package files no project names. Orphan files
// can be exported or, after one question, deleted; nothing else changes.
class CatalogueCheckWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CatalogueCheckWindow(QWidget* parent = nullptr);

    // The command behind "检查数据": the window, modal; a project table that cannot be read is reported
    // instead.
    static void checkCatalogue(QWidget* parent);

    // Fills both lists from the catalogue as it is now; false when the project table could not be read.
    bool refresh();

private:
    QStringList selectedOrphans() const;
    void exportOrphan();
    void deleteOrphans();

    QLabel* m_missingLabel;
    QTreeWidget* m_missing;
    QLabel* m_orphanLabel;
    QTreeWidget* m_orphans;
};
