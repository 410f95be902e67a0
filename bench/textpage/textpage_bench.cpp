// Times typing on the text page while it holds a large project text: the keystroke as a whole, the same
// keystroke in a bare editor (what the editor itself costs), and the save that follows once typing pauses
// (reading the box, CR LF, the durable table write), alone. Prints the median and the worst of 40 per text size.
//
//   QT_QPA_PLATFORM=offscreen build/bench/textpage/textpage_bench [folder]
//
// The tables go below `folder` (default: the system's temporary folder); a folder on a memory file system
// (/dev/shm) shows what the save costs without the disk's sync.

#include "app/AppDir.h"
#include "store/DataInstaller.h"
#include "store/ProjectTable.h"
#include "ui/main/ProjectListView.h"
#include "views/ProjectTexts.h"
#include "views/ui/TextPage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct Figures
{
    double median = 0;
    double worst = 0;
};

Figures figures(QList<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms.at(ms.size() / 2), ms.constLast()};
}

QString text(qsizetype bytes)
{
    // Mixed Chinese and ASCII lines of about 60 characters, as a long upgrade history would be.
    const QString line = QStringLiteral("2026年12月7日 修正了导出时文件名含空格的错误 fixed export names\n");
    QString out;
    while (out.size() * 2 < bytes)
        out += line;
    return out;
}

QList<double> typeInto(QPlainTextEdit* editor)
{
    QList<double> ms;
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("字"));
        QCoreApplication::sendEvent(editor, &press);
        ms.append(timer.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTemporaryDir dir(args.size() > 1 ? args.at(1) + QStringLiteral("/textpage_bench-XXXXXX")
                                      : QDir::tempPath() + QStringLiteral("/textpage_bench-XXXXXX"));
    AppDir::set(dir.path());
    QDir::setCurrent(dir.path());
    if (!installMissingData(dir.path()))
        return 1;
    {
        ProjectTable table;
        ProjectRecord project;
        project.number = QStringLiteral("P01");
        project.name = QStringLiteral("基准");
        if (!table.open() || !table.appendProject(project))
            return 1;
    }

    std::printf("| text | keystroke median ms | keystroke worst ms | bare editor median ms | save median ms | "
                "save worst ms |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|\n");
    for (const qsizetype size : {qsizetype(100) * 1024, qsizetype(1024) * 1024, qsizetype(4) * 1024 * 1024}) {
        ProjectListView list;
        list.loadProjectList();
        list.setCurrentRow(0);
        TextPage page(&list);
        page.resize(800, 600);
        page.show();
        page.showTextField(ProjectTexts::UpgradeHistory);
        QPlainTextEdit* editor = page.editor();
        editor->setPlainText(text(size));
        editor->moveCursor(QTextCursor::End);
        QCoreApplication::processEvents();

        const QList<double> keystrokes = typeInto(editor);
        // The same editor without the page around it: what a keystroke costs before anything is saved.
        QPlainTextEdit bare;
        bare.resize(800, 600);
        bare.show();
        bare.setPlainText(text(size));
        bare.moveCursor(QTextCursor::End);
        QCoreApplication::processEvents();
        const QList<double> bareKeystrokes = typeInto(&bare);
        QList<double> saves;
        for (int i = 0; i < 40; ++i) {
            // One key, then the pause: what the page writes when the save timer fires.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("字"));
            QCoreApplication::sendEvent(editor, &press);
            QElapsedTimer timer;
            timer.start();
            if (!page.savePendingText())
                return 1;
            saves.append(timer.nsecsElapsed() / 1e6);
        }
        if (ProjectTexts::read(1, ProjectTexts::UpgradeHistory).text.size() < size / 2)
            return 1; // the saves did not reach the table
        const Figures k = figures(keystrokes);
        const Figures s = figures(saves);
        const Figures b = figures(bareKeystrokes);
        std::printf("| %lld KiB | %.2f | %.2f | %.2f | %.2f | %.2f |\n", static_cast<long long>(size / 1024), k.median,
                    k.worst, b.median, s.median, s.worst);
    }
    return 0;
}
