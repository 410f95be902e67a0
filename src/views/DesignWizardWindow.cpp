#include "views/DesignWizardWindow.h"

#include "platform/Clock.h"
#include "platform/ValueText.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "views/DesignDocument.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

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
    setFixedSize(386, 449);

    m_pages = named(new QTabWidget(this), u"选择夹1"_s);
    m_pages->setGeometry(1, 0, 382, 401);
    const QStringList captions = DesignDocument::pageCaptions();
    const QStringList boxNames = {u"基本信息框"_s, u"目的框"_s, u"架构框"_s, u"步骤框"_s, u"规划框"_s, u"规则定义框"_s};
    for (int p = 0; p < captions.size(); ++p) {
        auto* page = new QWidget;
        auto* group = named(new QGroupBox(captions.at(p), page), u"分组框"_s + QString::number(p + 1));
        group->setGeometry(7, 8, 362, 360);
        auto* text = named(new QPlainTextEdit(group), boxNames.at(p));
        text->setGeometry(6, p == kPlanPage ? 44 : 20, 350, p == kPlanPage ? 310 : 334);
        // The box is the group's only field; it is heard by the group's caption.
        text->setAccessibleName(captions.at(p));
        m_texts.append(text);
        m_pages->addTab(page, captions.at(p));
        if (p == kPlanPage) {
            m_date = named(new QDateEdit(Clock::now().date(), group), u"日期框1"_s);
            m_date->setGeometry(176, 16, 120, 24);
            m_date->setCalendarPopup(true);
            m_date->setDisplayFormat(u"yyyy-MM-dd"_s);
            m_date->setAccessibleName(u"日期"_s);
            auto* add = named(new QPushButton(u"加入"_s, group), u"加入日期按钮"_s);
            add->setGeometry(298, 15, 58, 26);
            add->setAutoDefault(false);
            connect(add, &QPushButton::clicked, this, &DesignWizardWindow::insertDate);
        }
    }

    // Below the tab control rather than over its lower edge, so the page's frame stays whole.
    m_previous = named(new QPushButton(u"上一步 (&R)"_s, this), u"上一步按钮"_s);
    m_previous->setGeometry(180, 412, 96, 26);
    m_next = named(new QPushButton(kNextCaption, this), u"下一步按钮"_s);
    m_next->setGeometry(278, 412, 96, 26);
    m_previous->setAutoDefault(false);
    m_next->setAutoDefault(false);
    connect(m_previous, &QPushButton::clicked, this, &DesignWizardWindow::previous);
    connect(m_next, &QPushButton::clicked, this, &DesignWizardWindow::next);

    speakAsSeen(this);
    for (int p = 0; p < captions.size(); ++p)
        m_texts.at(p)->setAccessibleName(captions.at(p));
}

DesignWizardWindow* DesignWizardWindow::open(QWidget* owner)
{
    auto* wizard = new DesignWizardWindow(owner);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    wizard->setModal(false);
    wizard->show();
    return wizard;
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
    m_next->setText(page == m_pages->count() - 1 ? kSaveCaption : kNextCaption);
    m_texts.at(page)->setFocus();
}

bool DesignWizardWindow::save()
{
    Prompt::FileDialog dialog;
    dialog.title = u"保存"_s;
    dialog.filter = u"文本文件(*.txt)|*.txt|所有文件(*.*)|*.*"_s;
    const QString path = Prompt::saveFile(this, dialog);
    if (path.isEmpty())
        return false;
    QStringList texts;
    for (const QPlainTextEdit* text : std::as_const(m_texts))
        texts.append(text->toPlainText());
    // A document that could not be written is not thrown away with the window: the texts stay to save again.
    if (!DesignDocument::write(path, texts, Clock::now().date())) {
        Prompt::error(this, u"设计文档保存失败！"_s);
        return true;
    }
    close();
    return true;
}
