#include "ui/main/ProjectItemDelegate.h"

#include <QIcon>
#include <QPainter>
#include <QTextLayout>

namespace {

// Lays the caption out in at most two lines, eliding the second, and answers the lines' text and rects.
QList<std::pair<QString, QRectF>> captionLines(const QString& text, const QFont& font, const QRect& area)
{
    QList<std::pair<QString, QRectF>> lines;
    const QFontMetricsF fm(font);
    QTextLayout layout(text, font);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = area.top();
    for (int n = 0; n < 2; ++n) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(area.width());
        QString piece = text.mid(line.textStart(), line.textLength());
        if (n == 1 && line.textStart() + line.textLength() < text.size())
            piece = fm.elidedText(text.mid(line.textStart()), Qt::ElideRight, area.width());
        const qreal w = std::min<qreal>(fm.horizontalAdvance(piece), area.width());
        lines.append({piece, QRectF(area.left() + (area.width() - w) / 2, y, w, fm.height())});
        y += fm.height();
    }
    layout.endLayout();
    return lines;
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
    const auto lines = captionLines(index.data(Qt::DisplayRole).toString(), option.font, textArea);
    QRectF bounds;
    for (const auto& line : lines)
        bounds = bounds.united(line.second);
    bounds.adjust(-2, 0, 2, 0);

    QColor pen = option.palette.color(QPalette::Text);
    if (selected) {
        painter->fillRect(bounds, option.palette.brush(QPalette::Highlight));
        pen = option.palette.color(QPalette::HighlightedText);
    } else if (m_textBackground.isValid()) {
        painter->fillRect(bounds, m_textBackground);
    }
    painter->setPen(pen);
    painter->setFont(option.font);
    for (const auto& line : lines)
        painter->drawText(line.second, Qt::AlignCenter | Qt::TextSingleLine, line.first);
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
