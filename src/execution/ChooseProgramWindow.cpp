#include "execution/ChooseProgramWindow.h"

#include "execution/ExecutionPaths.h"
#include "ui/common/Naming.h"

#include <QDir>
#include <QListWidget>
#include <QResizeEvent>

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
    // Files directly in the folder only: a package whose content sits in one sub-folder offers nothing.
    const QStringList names =
        QDir(m_dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        if (name != ExecutionPaths::markerName())
            m_list->addItem(name);
    }
}

void ChooseProgramWindow::takeSelection()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    m_chosen = m_dir + u'/' + selected.first()->text();
    accept();
}
