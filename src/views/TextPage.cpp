#include "views/TextPage.h"

#include "ui/common/Naming.h"
#include "ui/common/TabPage.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TextPage::TextPage(QWidget* parent)
    : QWidget(parent)
{
    named(this, QStringLiteral("TextView"));
    m_caption = named(new QLabel(QStringLiteral("设计规划："), this), QStringLiteral("透明标签1"));
    m_caption->setGeometry(6, 7, 114, 14);
    m_editor = named(new QPlainTextEdit(this), QStringLiteral("辅助项目框"));
    m_editor->setGeometry(5, 24, 432, 312);
    m_back = named(new QPushButton(QStringLiteral("返回项目列表"), this), QStringLiteral("返回按钮2"));
    m_back->setGeometry(224, 2, 112, 20);
    m_write = named(new QPushButton(QStringLiteral("写到文件"), this), QStringLiteral("写出按钮"));
    m_write->setGeometry(336, 2, 112, 20);
    labelFor(m_caption, m_editor);
}

void TextPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int tabWidth = tabWidthOf(this);
    m_editor->setGeometry(5, 24, tabWidth - 10, height() - 24);
    m_write->move(tabWidth - m_write->width() - 8, m_write->y());
    m_back->move(tabWidth - m_write->width() - m_back->width() - 8, m_back->y());
}
