#include "ProgramChoice.h"

#include "execution/ui/ChooseProgramWindow.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>

using namespace Qt::StringLiterals;

ProgramChoice::ProgramChoice(const QString& entry)
    : m_entry(entry)
{
    m_poll.setInterval(5);
    connect(&m_poll, &QTimer::timeout, this, &ProgramChoice::look);
    m_poll.start();
}

void ProgramChoice::look()
{
    ChooseProgramWindow* window = nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* candidate : windows) {
        if (auto* choose = qobject_cast<ChooseProgramWindow*>(candidate); choose && choose->isVisible())
            window = choose;
    }
    if (!window)
        return;
    m_poll.stop();
    seen = true;
    title = window->windowTitle();
    objectName = window->objectName();
    size = window->size();
    toolWindow = (window->windowFlags() & Qt::Tool) == Qt::Tool;
    auto* list = window->findChild<QListWidget*>(u"选择程序列表框"_s);
    if (!list) {
        window->reject();
        return;
    }
    listSize = list->size();
    for (int i = 0; i < list->count(); ++i)
        offered.append(list->item(i)->text());
    const QList<QListWidgetItem*> matches = list->findItems(m_entry, Qt::MatchExactly);
    if (m_entry.isEmpty() || matches.isEmpty()) {
        window->close();
        return;
    }
    const QRect rect = list->visualItemRect(matches.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}
