// Times filling the tool list with 1,000 tools whose paths are a mix of web addresses, pictures, documents,
// programs, folders and paths that name nothing, with the desktop's own icon lookups. Prints the median of
// several fills and whether the wait cursor stood while the icons were looked up.
//
//   QT_QPA_PLATFORM=offscreen build/bench/toollist/toollist_bench

#include "app/AppDir.h"
#include "platform/FileIcons.h"
#include "store/DataInstaller.h"
#include "tools/ToolTable.h"
#include "tools/ui/ToolPage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QString pathFor(int i, const QDir& files)
{
    switch (i % 8) {
    case 0:
        return u"https://example%1.org/docs"_s.arg(i);
    case 1:
        return u"www.site%1.cn/"_s.arg(i);
    case 2:
        return files.filePath(u"picture%1.png"_s.arg(i % 50));
    case 3:
        return files.filePath(u"notes%1.txt"_s.arg(i % 50));
    case 4:
        return files.filePath(u"manual%1.pdf"_s.arg(i));
    case 5:
        return u"/usr/bin/env"_s;
    case 6:
        return files.path();
    default:
        return u"/nowhere/tool%1.exe"_s.arg(i);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int count = 1000;
    QTemporaryDir dir;
    AppDir::set(dir.path());
    QDir::setCurrent(dir.path());
    installMissingData(dir.path());
    QDir files(dir.filePath(u"files"_s));
    files.mkpath(u"."_s);
    for (int i = 0; i < 50; ++i) {
        QImage picture(256, 256, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 7, 180, 200));
        picture.save(files.filePath(u"picture%1.png"_s.arg(i)));
        QFile text(files.filePath(u"notes%1.txt"_s.arg(i)));
        text.open(QIODevice::WriteOnly);
        text.write("some notes\n");
    }
    {
        ToolTable table;
        table.open();
        QList<QVariantList> records;
        for (int i = 0; i < count; ++i)
            records.append({u"工具%1"_s.arg(i), pathFor(i, files), u"说明"_s});
        table.appendRecords(records);
    }

    ToolPage page;
    page.resize(1200, 800);
    page.show();
    int lookups = 0;
    int underWaitCursor = 0;
    const auto watched = [&](QIcon (*lookup)(const QString&)) {
        return [&, lookup](const QString& path) {
            ++lookups;
            if (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
                ++underWaitCursor;
            return lookup(path);
        };
    };
    page.setIconSource({watched(&FileIcons::ownIcon), watched(&FileIcons::registeredIcon)});
    QApplication::processEvents();

    QList<double> runs;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        page.loadToolList();
        page.repaint();
        runs << timer.nsecsElapsed() / 1e6;
    }
    std::sort(runs.begin(), runs.end());
    std::printf("tools %d, items %d: median %.1f ms, min %.1f ms, max %.1f ms; %d of %d icon lookups under the "
                "wait cursor\n",
                count, int(page.list()->count()), runs.at(runs.size() / 2), runs.constFirst(), runs.constLast(),
                underWaitCursor, lookups);
    return 0;
}
