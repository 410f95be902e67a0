#pragma once

#include <QStatusBar>

class QLabel;

// 状态条1: five parts from left to right — the title with its icon, a spacer, the version, the maker's icon
// with its credit in a tooltip, and the free part the lists write into.
class MainStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    static constexpr int kPartCount = 5;

    explicit MainStatusBar(QWidget* parent = nullptr);

    void setPartText(int part, const QString& text);
    QString partText(int part) const;

private:
    QLabel* m_text[kPartCount] = {};
};
