#include "ui/main/ProjectFindBar.h"

#include "ui/common/Naming.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

ProjectFindBar::ProjectFindBar(QWidget* parent)
    : QWidget(parent)
{
    named(this, u"查找栏"_s);
    m_label = placedLabel(this, u"查找标签"_s, u"查找："_s, QRect(0, 6, 40, 16));
    m_edit = placed(new QLineEdit(this), u"查找编辑框"_s, QRect(42, 4, 200, 20));
    m_edit->setPlaceholderText(u"编号、名称或版本"_s);
    m_edit->setClearButtonEnabled(true);
    m_edit->installEventFilter(this);
    m_fullText = placed(new QCheckBox(u"全文"_s, this), u"全文复选框"_s, QRect(248, 5, 52, 18));
    m_fullText->setToolTip(u"同时查找备注、设计方案、BUG报告和升级历史"_s);
    m_found = placed(new QLabel(this), u"查找结果标签"_s, QRect(302, 6, 130, 16));
    m_close = placed(new QPushButton(u"关闭"_s, this), u"关闭查找按钮"_s, QRect(436, 3, 56, 22));
    m_close->setToolTip(u"关闭查找栏，显示全部项目"_s);
    labelFor(m_label, m_edit);
    setFixedHeight(kHeight);
    hide();

    connect(m_edit, &QLineEdit::textChanged, this, &ProjectFindBar::textChanged);
    connect(m_fullText, &QCheckBox::toggled, this, [this](bool on) {
        m_edit->setPlaceholderText(on ? u"编号、名称、版本或任何文字"_s : u"编号、名称或版本"_s);
        Q_EMIT fullTextChanged(on);
    });
    connect(m_close, &QPushButton::clicked, this, &ProjectFindBar::close);
}

bool ProjectFindBar::fullText() const
{
    return m_fullText->isChecked();
}

void ProjectFindBar::open()
{
    show();
    m_edit->setFocus();
    m_edit->selectAll();
}

void ProjectFindBar::close()
{
    m_edit->clear();
    hide();
    Q_EMIT closed();
}

void ProjectFindBar::showFound(int found)
{
    if (m_edit->text().isEmpty())
        m_found->clear();
    else
        m_found->setText(found > 0 ? u"找到 %1 个项目"_s.arg(found) : u"没有找到匹配的项目"_s);
    m_found->setAccessibleName(m_found->text());
}

bool ProjectFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
            Q_EMIT enterList();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ProjectFindBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The close button keeps the right end, the count and 全文 stand left of it, and the edit box takes the
    // width they leave.
    m_close->move(width() - m_close->width(), m_close->y());
    m_found->move(m_close->x() - 4 - m_found->width(), m_found->y());
    m_fullText->move(m_found->x() - 2 - m_fullText->width(), m_fullText->y());
    m_edit->resize(std::max(80, m_fullText->x() - 6 - m_edit->x()), m_edit->height());
}
