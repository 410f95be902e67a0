#pragma once

#include "projects/DataRoom.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

// 清理: asks which of the kept copies go, the whole history or the whole trash, and removes them after one more
// yes. Opened from 系统设置, which shows the room they take.
class CleanUpWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CleanUpWindow(const DataRoom::Room& room, QWidget* parent = nullptr);

private:
    void confirm();

    QCheckBox* m_history;
    QCheckBox* m_trash;
    QPushButton* m_ok;
};
