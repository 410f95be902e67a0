#include "ui/main/ProjectItemDelegate.h"

#include <QIcon>
#include <QPainter>

namespace {

constexpr int kCaptionFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWrapAnywhere;

// The caption as it fits in two lines of the item: cut with "…" when it is longer.
QString fittedCaption(const QString& text, const QFontMetrics& fm, const QRect& area)
{
    const int maxHeight = 2 * fm.height();
    if (fm.boundingRect(area, kCaptionFlags, text).height() <= maxHeight)
        return text;
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (fm.boundingRect(area, kCaptionFlags, text.left(mid) + u'…').height() <= maxHeight)
            low = mid;
        else
            high = mid - 1;
    }
    return text.left(low) + u'…';
}

} // namespace

void ProjectItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;

    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const QRect iconRect(r.left() + (r.width() - 32) / 2, r.top() + 4, 32, 32);
    icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);

    const QRect textArea(r.left() + 2, iconRect.bottom() + 3, r.width() - 4, r.bottom() - iconRect.bottom() - 3);
    const QFontMetrics fm(option.font);
    const QString caption = fittedCaption(index.data(Qt::DisplayRole).toString(), fm, textArea);
    const QRect bounds = fm.boundingRect(textArea, kCaptionFlags, caption).adjusted(-2, 0, 2, 0);

    QColor pen = option.palette.color(QPalette::Text);
    if (selected) {
        painter->fillRect(bounds, option.palette.brush(QPalette::Highlight));
        pen = option.palette.color(QPalette::HighlightedText);
    } else if (m_textBackground.isValid()) {
        painter->fillRect(bounds, m_textBackground);
    }
    painter->setPen(pen);
    painter->setFont(option.font);
    painter->drawText(textArea, kCaptionFlags, caption);
    if (option.state & QStyle::State_HasFocus && selected) {
        painter->setPen(QPen(pen, 1, Qt::DotLine));
        painter->drawRect(bounds.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QSize ProjectItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return kItemSize;
}
