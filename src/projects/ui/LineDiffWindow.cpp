#include "projects/ui/LineDiffWindow.h"

#include "ui/common/Naming.h"

#include <QAbstractTableModel>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Kind = LineDiff::Line::Kind;

// The lines as a table the view asks only for what it shows: a file of some megabytes opens at once.
class LinesModel : public QAbstractTableModel
{
public:
    explicit LinesModel(const QList<LineDiff::Line>& lines, QObject* parent)
        : QAbstractTableModel(parent)
        , m_lines(lines)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_lines.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const LineDiff::Line& line = m_lines.at(index.row());
        switch (role) {
        case Qt::DisplayRole:
            if (index.column() == 0)
                return line.before ? QString::number(line.before) : QString();
            if (index.column() == 1)
                return line.after ? QString::number(line.after) : QString();
            return QString((line.kind == Kind::Removed ? u"- "_s
                            : line.kind == Kind::Added ? u"+ "_s
                                                       : u"  "_s) +
                           line.text);
        case Qt::BackgroundRole:
            if (line.kind == Kind::Removed)
                return QColor(0xff, 0xdd, 0xdd);
            if (line.kind == Kind::Added)
                return QColor(0xdd, 0xf4, 0xdd);
            return {};
        case Qt::ForegroundRole:
            return index.column() < 2 ? QColor(0x80, 0x80, 0x80) : QVariant();
        case Qt::TextAlignmentRole:
            return index.column() < 2 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? u"原行号"_s : section == 1 ? u"新行号"_s : u"内容"_s;
    }

private:
    const QList<LineDiff::Line>& m_lines;
};

} // namespace

LineDiffWindow::LineDiffWindow(const QString& path, const QString& beforeLabel, const QString& afterLabel,
                               QList<LineDiff::Line> lines, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
    , m_lines(std::move(lines))
{
    named(this, u"LineDiffWindow"_s);
    setWindowTitle(u"比较 - %1"_s.arg(path));
    resize(960, 640);

    int removed = 0;
    int added = 0;
    for (int row = 0; row < m_lines.size(); ++row) {
        const Kind kind = m_lines.at(row).kind;
        removed += kind == Kind::Removed;
        added += kind == Kind::Added;
        if (kind != Kind::Same && (row == 0 || m_lines.at(row - 1).kind == Kind::Same))
            m_changeStarts.append(row);
    }

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);
    m_where = named(new QLabel(this), u"变化标签"_s);
    m_where->setText(u"%1 → %2：删除 %3 行，新增 %4 行"_s.arg(beforeLabel, afterLabel).arg(removed).arg(added));
    top->addWidget(m_where, 1);
    auto* previous = named(new QPushButton(u"上一处"_s, this), u"上一处按钮"_s);
    auto* next = named(new QPushButton(u"下一处"_s, this), u"下一处按钮"_s);
    previous->setToolTip(u"Shift+F7"_s);
    next->setToolTip(u"F7"_s);
    for (QPushButton* button : {previous, next}) {
        button->setAutoDefault(false);
        top->addWidget(button);
    }

    m_view = named(new QTableView(this), u"比较列表框"_s);
    m_view->setModel(new LinesModel(m_lines, m_view));
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->setTabKeyNavigation(false);
    m_view->verticalHeader()->hide();
    // Every row is one line of the same height: the view need not measure a hundred thousand of them.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
    m_view->horizontalHeader()->setStretchLastSection(true);
    const int numberWidth = m_view->fontMetrics().horizontalAdvance(u"0000000"_s) + 12;
    m_view->setColumnWidth(0, numberWidth);
    m_view->setColumnWidth(1, numberWidth);
    m_view->setAccessibleName(u"比较结果"_s);
    layout->addWidget(m_view, 1);

    connect(previous, &QPushButton::clicked, this, [this] { goToChange(false); });
    connect(next, &QPushButton::clicked, this, [this] { goToChange(true); });
    connect(new QShortcut(QKeySequence(Qt::Key_F7), this), &QShortcut::activated, this, [this] { goToChange(true); });
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F7), this), &QShortcut::activated, this,
            [this] { goToChange(false); });

    speakAsSeen(this);
    m_view->setFocus();
    if (!goToChange(true) && !m_lines.isEmpty())
        m_view->selectRow(0);
}

bool LineDiffWindow::goToChange(bool forward)
{
    const int current = m_view->currentIndex().isValid() ? m_view->currentIndex().row() : -1;
    int target = -1;
    if (forward) {
        const auto found =
            std::find_if(m_changeStarts.cbegin(), m_changeStarts.cend(), [current](int row) { return row > current; });
        if (found != m_changeStarts.cend())
            target = *found;
    } else {
        const auto found = std::find_if(m_changeStarts.crbegin(), m_changeStarts.crend(),
                                        [current](int row) { return row < current; });
        if (found != m_changeStarts.crend())
            target = *found;
    }
    if (target < 0)
        return false;
    m_view->selectRow(target);
    m_view->scrollTo(m_view->model()->index(target, 0), QAbstractItemView::PositionAtCenter);
    return true;
}
