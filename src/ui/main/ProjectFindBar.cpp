#include "ui/main/ProjectFindBar.h"

#include "ui/common/Naming.h"

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
    m_close = placed(new QPushButton(u"关闭"_s, this), u"关闭查找按钮"_s, QRect(248, 3, 56, 22));
    m_close->setToolTip(u"关闭查找栏，显示全部项目"_s);
    labelFor(m_label, m_edit);
    setFixedHeight(kHeight);
    hide();

    connect(m_edit, &QLineEdit::textChanged, this, &ProjectFindBar::textChanged);
    connect(m_close, &QPushButton::clicked, this, &ProjectFindBar::close);
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

void ProjectFindBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The edit box takes the width the close button leaves.
    m_close->move(width() - m_close->width(), m_close->y());
    m_edit->resize(std::max(80, m_close->x() - 6 - m_edit->x()), m_edit->height());
}
