// Times one keystroke in the find bar with 100,000 projects in the list: the filter over number, name and
// version, the items hidden or shown, and the repaint that follows. Types "4213" and deletes it again
// character by character, then a full-width word. Opening the find bar reads the three columns once per fill;
// that is timed on its own line. Prints the median and the worst of several rounds per step.
//
// Then times the catalogue check (检查数据) on 10,000 projects, each with its package file, plus 100
// package files that no project names.
//
//   QT_QPA_PLATFORM=offscreen build/bench/projectfilter/projectfilter_bench

#include "app/AppDir.h"
#include "app/ListAppearance.h"
#include "projects/CatalogueCheck.h"
#include "store/DataInstaller.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/main/ProjectListView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool fillCatalogue(int projects)
{
    ProjectTable t;
    if (!t.open())
        return false;
    QList<QVariantList> records;
    records.reserve(projects);
    for (int i = 0; i < projects; ++i) {
        ProjectRecord project;
        project.number = QStringLiteral("N%1").arg(i, 6, 10, QLatin1Char('0'));
        project.name = QStringLiteral("项目%1 Tool").arg(i);
        project.type = i % 3;
        project.version = QStringLiteral("1.%1").arg(i % 10);
        project.startTime = QDateTime(QDate(2026, 1, 1).addDays(i % 365), QTime(9, 30));
        project.lastUpdate = project.startTime;
        records.append(project.toValues());
    }
    return t.appendRecords(records);
}

double timed(ProjectListView& list, const QString& text)
{
    QElapsedTimer timer;
    timer.start();
    list.setFilterText(text);
    list.repaint(); // the relayout and paint belong to the keystroke
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int n = 100000;
    QTemporaryDir dir;
    AppDir::set(dir.path());
    QDir::setCurrent(dir.path());
    installMissingData(dir.path());
    if (!fillCatalogue(n)) {
        std::fprintf(stderr, "could not build a catalogue of %d projects\n", n);
        return 1;
    }
    ProjectListView list;
    list.resize(1200, 800);
    list.applyAppearance(ListAppearance::read());
    list.show();

    const QStringList keystrokes = {u"4"_s,  u"42"_s, u"421"_s,  u"4213"_s,     u"421"_s,
                                    u"42"_s, u"4"_s,  QString(), u"ＴＯＯＬ"_s, QString()};
    const int rounds = 7;
    QList<double> opening;
    QList<QList<double>> times(keystrokes.size());
    for (int round = 0; round < rounds; ++round) {
        list.loadProjectList();
        // The user searches a list that has been laid out, not one still being filled.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 1500)
            QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        list.prepareFilter();
        opening << timer.nsecsElapsed() / 1e6;
        for (qsizetype k = 0; k < keystrokes.size(); ++k) {
            times[k] << timed(list, keystrokes.at(k));
            QApplication::processEvents();
        }
    }

    std::printf("%d projects, %d rounds\n%-26s %10s %10s\n", n, rounds, "text after keystroke", "median ms", "max ms");
    const auto row = [](const QString& label, QList<double> runs) {
        std::sort(runs.begin(), runs.end());
        std::printf("%-26s %10.1f %10.1f\n", qPrintable(label), runs.at(runs.size() / 2), runs.constLast());
    };
    row(u"(find bar opens)"_s, opening);
    for (qsizetype k = 0; k < keystrokes.size(); ++k)
        row(keystrokes.at(k).isEmpty() ? u"(cleared)"_s : u"\""_s + keystrokes.at(k) + u'"', times.at(k));

    QTemporaryDir checkDir;
    AppDir::set(checkDir.path());
    QDir::setCurrent(checkDir.path());
    installMissingData(checkDir.path());
    const int checked = 10000;
    if (!fillCatalogue(checked))
        return 1;
    for (int i = 0; i < checked + 100; ++i) {
        QFile package(QStringLiteral("data/N%1.fd1").arg(i, 6, 10, QLatin1Char('0')));
        if (!package.open(QIODevice::WriteOnly))
            return 1;
    }
    QList<double> checks;
    qsizetype orphans = 0;
    for (int round = 0; round < 7; ++round) {
        QElapsedTimer timer;
        timer.start();
        orphans = CatalogueCheck::check().orphans.size();
        checks << timer.nsecsElapsed() / 1e6;
    }
    std::printf("\ncatalogue check, %d projects, %lld orphans found\n", checked, static_cast<long long>(orphans));
    row(u"check"_s, checks);
    return 0;
}
