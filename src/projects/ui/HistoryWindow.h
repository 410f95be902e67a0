#pragma once

#include "projects/PackageHistory.h"

#include <QDialog>
#include <QList>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
struct ComparedPackage;

// 历史版本: the package stored now ("当前版本") on top, then the earlier packages kept for one project, newest
// first. One version can be exported or made the stored package again; one compared with the current package, or
// two with each other.
class HistoryWindow : public QDialog
{
    Q_OBJECT

public:
    // `recordNumber` is the project's record.
    explicit HistoryWindow(int recordNumber, QWidget* parent = nullptr);

    // The command behind "历史版本" in the project list's menu: the window, modal.
    static void showHistory(int recordNumber, QWidget* parent);

private:
    void fill();
    // The selected rows, top first; row 0 is the current package when there is one.
    QList<int> selectedRows() const;
    const PackageHistory::Version* selectedVersion();
    ComparedPackage sideOf(int row) const;
    void compareSelected();
    void revertSelected();
    void exportSelected();

    int m_record;
    QString m_number;
    QString m_currentPath; // the stored package, empty when there is none
    QString m_currentType;
    QList<PackageHistory::Version> m_versions;
    QTreeWidget* m_list;
    QLabel* m_empty;
    QPushButton* m_compare;
    QPushButton* m_revert;
    QPushButton* m_export;
};
