#include "app/ui/ProgramRun.h"

#include "app/InstanceLock.h"
#include "platform/TerminationSignals.h"
#include "ui/common/Prompt.h"
#include "ui/main/MainWindow.h"

#include <QApplication>

using namespace Qt::StringLiterals;

namespace ProgramRun {

bool mayRun(const InstanceLock& lock)
{
    if (lock.state() != InstanceLock::State::HeldByOther)
        return true;
    Prompt::warning(nullptr, u"程序已经在运行！"_s);
    return false;
}

bool mayOpenData(DataFormat::Outcome data)
{
    switch (data) {
    case DataFormat::Outcome::Current:
    case DataFormat::Outcome::Upgraded:
        return true;
    case DataFormat::Outcome::Newer:
        Prompt::error(nullptr, u"数据来自更新版本的程序，无法打开！"_s);
        return false;
    case DataFormat::Outcome::Failed:
        Prompt::error(nullptr, u"数据升级失败！请关闭程序后检查数据目录！"_s);
        return false;
    }
    return false;
}

int runMainWindow()
{
    MainWindow window;
    // Qt's own quit asks every window to close first, and the executed-projects panel never agrees (it goes
    // only when its last line does), so a quit would leave the process running without its main window.
    // exit() cannot be refused. Bound before anything can show or close the window, and remembered, since an
    // exit() before the loop runs is lost.
    bool closed = false;
    QObject::connect(&window, &MainWindow::closed, qApp, [&closed] {
        closed = true;
        QCoreApplication::exit(0);
    });
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, &MainWindow::endProgram);
    window.startUp();
    window.showMaximized();
    return closed ? 0 : QApplication::exec();
}

} // namespace ProgramRun
