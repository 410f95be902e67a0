#include "execution/ui/ChooseProgramWindow.h"

#include "execution/WorkFiles.h"
#include "ui/common/Naming.h"

#include <QListWidget>
#include <QResizeEvent>
#include <QStyle>

using namespace Qt::StringLiterals;

ChooseProgramWindow::ChooseProgramWindow(const QString& workDir, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_dir(workDir)
    , m_list(named(new QListWidget(this), u"选择程序列表框"_s))
{
    setObjectName(u"ChooseProgramWindow"_s);
    setWindowTitle(u"选择执行程序"_s);
    setFixedSize(237, 278);
    m_list->setGeometry(7, 7, 216, 240);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &ChooseProgramWindow::takeSelection);
    fill();
    speakAsSeen(this);
    // The list fills the window; the title says what it offers.
    m_list->setAccessibleName(windowTitle());
}

QString ChooseProgramWindow::choose(const QString& workDir, QWidget* parent)
{
    ChooseProgramWindow window(workDir, parent);
    window.exec();
    return window.chosenProgram();
}

void ChooseProgramWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_list->setGeometry(0, 0, width(), height());
}

void ChooseProgramWindow::fill()
{
    // Each entry keeps the path it opens: what it shows may be a name the disk holds in other bytes.
    auto* folder = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirOpenIcon), u"打开文件夹"_s, m_list);
    folder->setData(Qt::UserRole, m_dir);
    folder->setToolTip(m_dir);
    for (const WorkFiles::Offered& file : WorkFiles::filesToOpen(m_dir)) {
        auto* item = new QListWidgetItem(file.shown, m_list);
        item->setData(Qt::UserRole, QString(m_dir + u'/' + file.relativePath));
        item->setToolTip(file.shown);
    }
}

void ChooseProgramWindow::takeSelection()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    m_chosen = selected.first()->data(Qt::UserRole).toString();
    accept();
}
