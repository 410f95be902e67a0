#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// Draws a project as its 32×32 icon over its caption. The caption sits on the list's text background colour,
// or directly on the list's background picture when there is one.
class ProjectItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr QSize kItemSize{96, 68};

    using QStyledItemDelegate::QStyledItemDelegate;

    void setTextBackground(const QColor& colour) { m_textBackground = colour; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QColor m_textBackground;
};
