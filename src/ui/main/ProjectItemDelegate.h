#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// Draws a project as its 32×32 icon over its caption in up to two lines. The caption sits on the list's text
// background colour, or directly on the list's background picture when there is one. A caption too long for two
// lines ends in "…" and shows whole as the item's tooltip.
class ProjectItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Room for two lines of Chinese text below the icon (a CJK line is a little taller than a Latin one).
    static constexpr QSize kItemSize{96, 72};

    using QStyledItemDelegate::QStyledItemDelegate;

    void setTextBackground(const QColor& colour) { m_textBackground = colour; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // What an item of `option`'s size and font shows of `caption`: its lines, and whether they hold it whole.
    struct Caption
    {
        QStringList lines;
        bool whole = true;
    };
    static Caption fitCaption(const QString& caption, const QStyleOptionViewItem& option);

private:
    QColor m_textBackground;
};
