#include "ui/main/ProjectItemDelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QIcon>
#include <QPainter>
#include <QTextLayout>
#include <QToolTip>

namespace {

constexpr int kIconTop = 4;
constexpr int kIconSize = 32;
constexpr int kCaptionGap = 3;

QRect iconRect(const QRect& item)
{
    return {item.left() + (item.width() - kIconSize) / 2, item.top() + kIconTop, kIconSize, kIconSize};
}

QRect captionArea(const QRect& item)
{
    const int top = iconRect(item).bottom() + kCaptionGap;
    return {item.left() + 2, top, item.width() - 4, item.bottom() - top};
}

} // namespace

ProjectItemDelegate::Caption ProjectItemDelegate::fitCaption(const QString& caption, const QStyleOptionViewItem& option)
{
    const QRect area = captionArea(option.rect);
    // Laid out with the fonts that really draw each character (a Chinese fallback font is taller than the
    // list's own), so two lines are two lines on screen and never cut at their foot.
    QTextLayout layout(caption, option.font);
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    layout.beginLayout();
    QStringList lines;
    qreal height = 0;
    qsizetype end = 0;
    while (lines.size() < 2) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(area.width());
        if (!lines.isEmpty() && height + line.height() > area.height())
            break;
        height += line.height();
        lines.append(caption.mid(line.textStart(), line.textLength()));
        end = line.textStart() + line.textLength();
    }
    layout.endLayout();
    const bool whole = end >= caption.size();
    if (!whole && !lines.isEmpty()) {
        // The last line shown carries the rest, cut with "…".
        const QString rest = lines.takeLast() + caption.mid(end);
        lines.append(QFontMetrics(option.font).elidedText(rest, Qt::ElideRight, area.width()));
    }
    for (QString& line : lines) {
        while (line.endsWith(u' '))
            line.chop(1);
    }
    return {lines, whole};
}

void ProjectItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;

    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    icon.paint(painter, iconRect(r), Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);

    const QRect area = captionArea(r);
    const QFontMetrics fm(option.font);
    const QStringList lines = fitCaption(index.data(Qt::DisplayRole).toString(), option).lines;
    QList<QRect> lineRects;
    QRect bounds;
    int top = area.top();
    for (const QString& line : lines) {
        const QRect lineRect = fm.boundingRect(QRect(area.left(), top, area.width(), area.height()),
                                               Qt::AlignHCenter | Qt::AlignTop, line);
        lineRects.append(lineRect);
        bounds |= lineRect.adjusted(-2, 0, 2, 0);
        top = lineRect.bottom() + 1;
    }

    QColor pen = option.palette.color(QPalette::Text);
    if (selected) {
        painter->fillRect(bounds, option.palette.brush(QPalette::Highlight));
        pen = option.palette.color(QPalette::HighlightedText);
    } else if (m_textBackground.isValid() && !lines.isEmpty()) {
        painter->fillRect(bounds, m_textBackground);
    }
    painter->setPen(pen);
    painter->setFont(option.font);
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter->drawText(lineRects.at(i), Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, lines.at(i));
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

bool ProjectItemDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                    const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString caption = index.data(Qt::DisplayRole).toString();
    if (fitCaption(caption, option).whole)
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), caption, view->viewport(), view->visualRect(index));
    return true;
}
