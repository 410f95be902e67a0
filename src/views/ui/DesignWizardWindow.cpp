#include "views/ui/DesignWizardWindow.h"

#include "platform/Clock.h"
#include "platform/ValueText.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "views/DesignDocument.h"

#include <QDateEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kNextCaption = u"下一步 (&N)"_s;
const QString kSaveCaption = u"保存 (&S)"_s;
constexpr int kPlanPage = 4;

} // namespace

DesignWizardWindow::DesignWizardWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowMinimizeButtonHint)
{
    named(this, u"DesignWizardWindow"_s);
    setWindowTitle(u"设计向导"_s);

    m_pages = named(new QTabWidget(this), u"选择夹1"_s);
    m_pages->setUsesScrollButtons(false);
    const QStringList captions = DesignDocument::pageCaptions();
    const QStringList boxNames = {u"基本信息框"_s, u"目的框"_s, u"架构框"_s, u"步骤框"_s, u"规划框"_s, u"规则定义框"_s};
    QList<QGroupBox*> groups;
    for (int p = 0; p < captions.size(); ++p) {
        auto* page = new QWidget;
        auto* group = named(new QGroupBox(captions.at(p), page), u"分组框"_s + QString::number(p + 1));
        groups.append(group);
        auto* text = named(new QPlainTextEdit(group), boxNames.at(p));
        m_texts.append(text);
        m_pages->addTab(page, captions.at(p));
        if (p == kPlanPage) {
            m_date = named(new QDateEdit(Clock::now().date(), group), u"日期框1"_s);
            m_date->setCalendarPopup(true);
            m_date->setDisplayFormat(u"yyyy-MM-dd"_s);
            auto* add = named(new QPushButton(u"加入"_s, group), u"加入日期按钮"_s);
            add->setAutoDefault(false);
            connect(add, &QPushButton::clicked, this, &DesignWizardWindow::insertDate);
        }
    }
    m_previous = named(new QPushButton(u"上一步 (&R)"_s, this), u"上一步按钮"_s);
    m_next = named(new QPushButton(kNextCaption, this), u"下一步按钮"_s);
    m_previous->setAutoDefault(false);
    m_next->setAutoDefault(false);
    connect(m_previous, &QPushButton::clicked, this, &DesignWizardWindow::previous);
    connect(m_next, &QPushButton::clicked, this, &DesignWizardWindow::next);

    // The six captions side by side are wider than 382 pixels in most Chinese fonts: the window grows to
    // show every tab rather than hide some behind scroll arrows.
    const int tabsWidth = std::max(382, m_pages->tabBar()->sizeHint().width() + 8);
    setFixedSize(tabsWidth + 4, 449);
    m_pages->setGeometry(1, 0, tabsWidth, 401);
    for (int p = 0; p < groups.size(); ++p) {
        groups.at(p)->setGeometry(7, 8, tabsWidth - 18, 362);
        const int top = p == kPlanPage ? 52 : 20;
        m_texts.at(p)->setGeometry(6, top, tabsWidth - 30, 354 - top);
    }
    groups.at(kPlanPage)->findChild<QDateEdit*>()->setGeometry(tabsWidth - 210, 24, 120, 24);
    groups.at(kPlanPage)->findChild<QPushButton*>()->setGeometry(tabsWidth - 88, 23, 58, 26);
    // Below the tab control rather than over its lower edge, so the page's frame stays whole.
    m_next->setGeometry(width() - 108, 412, 96, 26);
    m_previous->setGeometry(m_next->x() - 98, 412, 96, 26);

    speakAsSeen(this);
    for (int p = 0; p < captions.size(); ++p)
        m_texts.at(p)->setAccessibleName(captions.at(p));
    // Nothing beside the date picker reads as its label; it is heard as what it holds.
    m_date->setAccessibleName(u"日期"_s);
}

DesignWizardWindow* DesignWizardWindow::open(QWidget* owner)
{
    auto* wizard = new DesignWizardWindow(owner);
    // However it ends (close box, Esc, a save), the window and its texts go.
    connect(wizard, &QDialog::finished, wizard, &QObject::deleteLater);
    wizard->setModal(false);
    wizard->show();
    return wizard;
}

void DesignWizardWindow::reject()
{
    // QDialog's close box ends here too, so one question covers both ways out.
    const bool typed = std::any_of(m_texts.cbegin(), m_texts.cend(),
                                   [](const QPlainTextEdit* text) { return !text->document()->isEmpty(); });
    if (typed && !Prompt::question(this, u"是否放弃已输入的内容？"_s))
        return;
    QDialog::reject();
}

void DesignWizardWindow::next()
{
    // The caption carries the state: it says 保存 when the last page was current at the last button press.
    if (m_next->text() == kSaveCaption && save())
        return;
    if (m_pages->currentIndex() < m_pages->count() - 1)
        m_pages->setCurrentIndex(m_pages->currentIndex() + 1);
    refreshButtons();
}

void DesignWizardWindow::previous()
{
    if (m_pages->currentIndex() == 0)
        return;
    m_pages->setCurrentIndex(m_pages->currentIndex() - 1);
    refreshButtons();
}

void DesignWizardWindow::insertDate()
{
    QPlainTextEdit* plan = m_texts.at(kPlanPage);
    plan->moveCursor(QTextCursor::End);
    plan->insertPlainText(ValueText::date(m_date->date()));
}

void DesignWizardWindow::refreshButtons()
{
    const int page = m_pages->currentIndex();
    m_previous->setEnabled(page != 0);
    setCaption(m_next, page == m_pages->count() - 1 ? kSaveCaption : kNextCaption);
    m_texts.at(page)->setFocus();
}

bool DesignWizardWindow::save()
{
    Prompt::FileDialog dialog;
    dialog.title = u"保存"_s;
    dialog.filter = u"文本文件(*.txt)|*.txt|所有文件(*.*)|*.*"_s;
    dialog.defaultSuffix = u"txt"_s;
    QString path = Prompt::saveFile(this, dialog);
    if (path.isEmpty())
        return false;
    // A name typed without an extension is a text document all the same, and opens as one.
    if (QFileInfo(path).suffix().isEmpty())
        path += path.endsWith(u'.') ? u"txt"_s : u".txt"_s;
    QStringList texts;
    for (const QPlainTextEdit* text : std::as_const(m_texts))
        texts.append(text->toPlainText());
    // A document that could not be written is not thrown away with the window: the texts stay to save again.
    if (!DesignDocument::write(path, texts, Clock::now().date())) {
        Prompt::error(this, u"设计文档保存失败！"_s);
        return true;
    }
    // Saved: nothing to ask about.
    accept();
    return true;
}
