// Times filling the project list: the table read, the items added and the first paint, for catalogues of
// 1,000 / 10,000 / 100,000 projects with 30 types. Prints the median of several runs per size. Then the same in
// the details view (the icon view filled behind it, the columns read, the first paint), and its sort by a column.
//
//   QT_QPA_PLATFORM=offscreen build/bench/projectlist/projectlist_bench

#include "app/AppDir.h"
#include "app/ListAppearance.h"
#include "projects/ProjectDetailsData.h"
#include "store/DataInstaller.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/main/ProjectDetailsModel.h"
#include "ui/main/ProjectDetailsView.h"
#include "ui/main/ProjectListPage.h"
#include "ui/main/ProjectListView.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

bool fillCatalogue(int projects, int types)
{
    QFile::remove(TableSchemas::typeTablePath());
    QFile::remove(QStringLiteral("data/type.edt"));
    RecordTable::create(TableSchemas::typeTablePath(), TableSchemas::typeFields());
    {
        RecordTable t;
        if (!t.open(TableSchemas::typeTablePath()))
            return false;
        for (int i = 0; i < types; ++i) {
            QImage image(32, 32, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 11 % 360, 200, 220));
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            t.appendRecord({QStringLiteral("类型%1").arg(i), png});
        }
    }
    // One transaction for the whole table, as a restore would write it.
    ProjectTable t;
    if (!t.open())
        return false;
    QList<QVariantList> records;
    records.reserve(projects);
    for (int i = 0; i < projects; ++i) {
        ProjectRecord project;
        project.number = QStringLiteral("N%1").arg(i, 6, 10, QLatin1Char('0'));
        project.name = QStringLiteral("项目%1").arg(i);
        project.type = i % (types + 2);
        project.version = QStringLiteral("1.%1").arg(i % 10);
        project.startTime = QDateTime(QDate(2026, 1, 1).addDays(i % 365), QTime(9, 30));
        project.lastUpdate = project.startTime;
        records.append(project.toValues());
    }
    return t.appendRecords(records);
}

double median(QList<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs.at(runs.size() / 2);
}

void timeDetails(int n)
{
    ProjectListPage page;
    page.resize(1200, 800);
    page.list()->applyAppearance(ListAppearance::read());
    page.list()->setArrangement(ProjectListView::Details);
    page.show();
    QApplication::processEvents();
    QList<double> fills;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        page.list()->loadProjectList();
        page.details()->repaint();
        fills << timer.nsecsElapsed() / 1e6;
    }
    std::printf("%10d %12.1f   details view: fill and first paint\n", n, median(fills));
    QList<double> reads;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        ProjectDetailsData::read();
        reads << timer.nsecsElapsed() / 1e6;
    }
    std::printf("%10d %12.1f   details view: its columns read\n", n, median(reads));
    const char* names[] = {"编号", "名称", "版本", "类型", "开始时间", "最后更新", "大小"};
    for (int column : {0, 1, 5, 6}) {
        QList<double> sorts;
        for (int run = 0; run < 7; ++run) {
            QElapsedTimer timer;
            timer.start();
            page.details()->detailsModel()->sort(column, run % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
            page.details()->repaint();
            sorts << timer.nsecsElapsed() / 1e6;
        }
        // The first sort by 大小 looks at every package; the worst run shows it.
        std::printf("%10d %12.1f   details view: sort by %s (worst %.1f)\n", n, median(sorts), names[column],
                    *std::max_element(sorts.cbegin(), sorts.cend()));
    }
    page.details()->detailsModel()->sort(-1, Qt::AscendingOrder);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::printf("%10s %12s %12s %14s\n", "projects", "median ms", "min ms", "us / project");
    for (int n : {1000, 10000, 100000}) {
        QTemporaryDir dir;
        AppDir::set(dir.path());
        QDir::setCurrent(dir.path());
        installMissingData(dir.path());
        if (!fillCatalogue(n, 30)) {
            std::fprintf(stderr, "could not build a catalogue of %d projects\n", n);
            return 1;
        }
        ProjectListView list;
        list.resize(1200, 800);
        list.applyAppearance(ListAppearance::read());
        list.show();
        QApplication::processEvents();

        QList<double> runs;
        for (int run = 0; run < 7; ++run) {
            QElapsedTimer timer;
            timer.start();
            list.loadProjectList();
            list.repaint(); // layout and first paint happen here, not later
            runs << timer.nsecsElapsed() / 1e6;
        }
        std::sort(runs.begin(), runs.end());
        const double median = runs.at(runs.size() / 2);
        std::printf("%10d %12.1f %12.1f %14.2f\n", n, median, runs.constFirst(), median * 1000.0 / n);
        timeDetails(n);
        std::fflush(stdout);
    }
    return 0;
}
