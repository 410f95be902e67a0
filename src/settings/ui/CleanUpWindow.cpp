#include "settings/ui/CleanUpWindow.h"

#include "projects/ProjectTrash.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

CleanUpWindow::CleanUpWindow(const DataRoom::Room& room, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, u"CleanUpWindow"_s);
    setWindowTitle(u"清理"_s);
    setFixedSize(360, 150);
    placed(new QLabel(u"请选择要删除的内容（删除后无法恢复）："_s, this), u"标签1"_s, QRect(12, 10, 336, 20));
    m_history = placed(
        new QCheckBox(
            u"全部历史版本（%1，%2 个版本）"_s.arg(DataRoom::sizeText(room.historyBytes)).arg(room.historyVersions),
            this),
        u"历史选择框"_s, QRect(20, 36, 330, 24));
    m_trash = placed(
        new QCheckBox(
            u"回收站中的全部项目（%1，%2 个项目）"_s.arg(DataRoom::sizeText(room.trashBytes)).arg(room.trashEntries),
            this),
        u"回收站选择框"_s, QRect(20, 62, 330, 24));
    m_history->setEnabled(room.historyBytes > 0 || room.historyVersions > 0);
    m_trash->setEnabled(room.trashBytes > 0 || room.trashEntries > 0);
    m_ok = placed(new QPushButton(u"确  定"_s, this), u"确定按钮"_s, QRect(140, 106, 100, 30));
    auto* cancel = placed(new QPushButton(u"取  消"_s, this), u"取消按钮"_s, QRect(248, 106, 100, 30));
    m_ok->setEnabled(false);
    const auto chosen = [this] { m_ok->setEnabled(m_history->isChecked() || m_trash->isChecked()); };
    connect(m_history, &QCheckBox::toggled, this, chosen);
    connect(m_trash, &QCheckBox::toggled, this, chosen);
    connect(m_ok, &QPushButton::clicked, this, &CleanUpWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    speakAsSeen(this);
}

void CleanUpWindow::confirm()
{
    if (WorkProgress::running())
        return;
    if (!Prompt::question(this, u"所选内容删除后无法恢复，确定要删除吗？"_s))
        return;
    bool all = true;
    {
        WorkProgress progress(this, u"正在清理，请稍候……"_s);
        if (m_history->isChecked())
            all = DataRoom::removeHistory(progress.callback()) && all;
        if (m_trash->isChecked())
            all = ProjectTrash::empty(progress.callback()) && all;
    }
    if (all)
        Prompt::information(this, u"清理完成！"_s);
    else
        Prompt::error(this, u"清理未能全部完成，有些文件无法删除！"_s);
    accept();
}
