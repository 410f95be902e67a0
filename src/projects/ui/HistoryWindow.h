#pragma once

#include "projects/PackageHistory.h"

#include <QDialog>
#include <QList>

#include <functional>

class QPushButton;
class QTreeWidget;

// 历史版本: the earlier packages kept for one project, newest first, each of which can be exported or made
// the stored package again.
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
    const PackageHistory::Version* selectedVersion();
    void revertSelected();
    void exportSelected();

    int m_record;
    QList<PackageHistory::Version> m_versions;
    QTreeWidget* m_list;
    QPushButton* m_revert;
    QPushButton* m_export;
};
