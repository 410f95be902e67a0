// Times full-text find on a large catalogue: 100,000 projects (or the number given) whose notes, design plan,
// bug report and upgrade history hold about 4 KB of text together, Chinese and ASCII words mixed. Reports
//   - the size of the project table without and with the substring index, and the time to build the index
//     from the records (what a start pays for a table made or restored without one);
//   - one keystroke in the find bar with 全文 ticked: the search of number, name and version in memory and
//     of the texts through the index, the items hidden or shown, and the repaint;
//   - a save of one project's notes and a delete of the first project (every later record renumbered), with
//     the index kept in the same transaction.
// Median and worst of 7 rounds per keystroke, of 3 per write.
//
//   QT_QPA_PLATFORM=offscreen build/bench/fulltext/fulltext_bench [projects]

#include "app/AppDir.h"
#include "app/ListAppearance.h"
#include "store/DataInstaller.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/main/ProjectListView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Common characters of programmers' notes; words are two to four of them.
const QString kCharacters =
    u"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已通并提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将组见计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处队南给色光门即保治北造百规热领七海口东导器压志世金增争济阶油思术极交受联什认六共权收证改清己美再采转更单风切打白教速花带安场身车例真务具万每目至达走积示议声报斗完类八离华名确才科张信马节话米整空元况今集温传土许步群广石记需段研界拉林律叫且究观越织装影算低持音众书布复容儿须际商非验连断深难近矿千周委素技备半办青省列习响约支般史感劳便团往酸历市克何除消构府称太准精值号率族维划选标写存候毛亲快效斯院查江型眼王按格养易置派层片始却专状育厂京识适属圆包火住调满县局照参红细引听该铁价严"_s;
const QStringList kAsciiWords = {u"build"_s,   u"crash"_s, u"Qt"_s,     u"SQLite"_s, u"release"_s, u"fix"_s,
                                 u"window"_s,  u"list"_s,  u"thread"_s, u"socket"_s, u"parser"_s,  u"cache"_s,
                                 u"timeout"_s, u"UTF-8"_s, u"GBK"_s,    u"v1.2"_s,   u"TODO"_s,    u"null"_s};

QString randomText(QRandomGenerator& random, int bytes)
{
    QString text;
    int size = 0;
    while (size < bytes) {
        if (random.bounded(5) == 0) {
            text += kAsciiWords.at(random.bounded(int(kAsciiWords.size()))) + u' ';
            size += 7;
        } else {
            const int length = 2 + random.bounded(3);
            for (int i = 0; i < length; ++i)
                text += kCharacters.at(random.bounded(int(kCharacters.size())));
            size += 3 * length;
            if (random.bounded(12) == 0) {
                text += u"，"_s;
                size += 3;
            }
        }
        if (random.bounded(40) == 0) {
            text += u"\r\n"_s;
            size += 2;
        }
    }
    return text;
}

// Written without the index, as a program that keeps none writes it.
bool fillCatalogue(int projects)
{
    RecordTable table;
    if (!table.open(TableSchemas::projectTablePath()))
        return false;
    QRandomGenerator random(29);
    const int batch = 5000;
    for (int start = 0; start < projects; start += batch) {
        QList<QVariantList> records;
        for (int i = start; i < std::min(projects, start + batch); ++i) {
            ProjectRecord project;
            project.number = QStringLiteral("N%1").arg(i, 6, 10, QLatin1Char('0'));
            project.name = QStringLiteral("项目%1 Tool").arg(i);
            project.type = i % 3;
            project.version = QStringLiteral("1.%1").arg(i % 10);
            project.startTime = QDateTime(QDate(2026, 1, 1).addDays(i % 365), QTime(9, 30));
            project.lastUpdate = project.startTime;
            project.notes = randomText(random, 1000);
            project.designPlan = randomText(random, 1500);
            project.bugReport = randomText(random, 800);
            project.upgradeHistory = randomText(random, 700);
            records.append(project.toValues());
        }
        if (!table.appendRecords(records))
            return false;
    }
    return true;
}

double timed(ProjectListView& list, const QString& text)
{
    QElapsedTimer timer;
    timer.start();
    list.setFilterText(text);
    list.repaint(); // the relayout and paint belong to the keystroke
    return timer.nsecsElapsed() / 1e6;
}

double mb(const QString& path)
{
    return QFileInfo(path).size() / 1048576.0;
}

void row(const QString& label, QList<double> runs, int shown = -1)
{
    std::sort(runs.begin(), runs.end());
    std::printf("%-34s %10.1f %10.1f", qPrintable(label), runs.at(runs.size() / 2), runs.constLast());
    if (shown >= 0)
        std::printf(" %8d", shown);
    std::printf("\n");
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::max(10, QString::fromLocal8Bit(argv[1]).toInt()) : 100000;
    QTemporaryDir dir;
    AppDir::set(dir.path());
    QDir::setCurrent(dir.path());
    installMissingData(dir.path());
    QElapsedTimer timer;
    timer.start();
    if (!fillCatalogue(n)) {
        std::fprintf(stderr, "could not build a catalogue of %d projects\n", n);
        return 1;
    }
    const QString table = TableSchemas::projectTablePath();
    std::printf("%d projects with about 4 KB of text each, written in %.1f s\n", n, timer.elapsed() / 1000.0);
    std::printf("table without the index: %.1f MiB\n", mb(table));
    // A save and a delete of the first project on the table without the index, for comparison below.
    const auto saveAndDelete = [](RecordTable& projects, int record, QList<double>& saves, QList<double>& deletes) {
        QElapsedTimer clock;
        if (!projects.goTo(record))
            return false;
        QString notes = projects.readField(ProjectField::Notes).toString() + u"又改了一次"_s;
        clock.start();
        if (!projects.writeField(ProjectField::Notes, notes))
            return false;
        saves << clock.nsecsElapsed() / 1e6;
        clock.restart();
        if (!projects.deleteRecords({1}))
            return false;
        deletes << clock.nsecsElapsed() / 1e6;
        return true;
    };
    QList<double> plainSaves;
    QList<double> plainDeletes;
    {
        RecordTable projects;
        if (!projects.open(table))
            return 1;
        for (int round = 0; round < 3; ++round) {
            if (!saveAndDelete(projects, 1 + round * 97, plainSaves, plainDeletes))
                return 1;
        }
    }
    {
        timer.restart();
        ProjectTable projects;
        if (!projects.open() || !projects.hasTextIndex()) {
            std::fprintf(stderr, "the index was not built\n");
            return 1;
        }
        std::printf("index built at open in %.1f s; table with the index: %.1f MiB\n", timer.elapsed() / 1000.0,
                    mb(table));
    }

    ProjectListView list;
    list.resize(1200, 800);
    list.applyAppearance(ListAppearance::read());
    list.show();
    list.setFullText(true);

    const QStringList keystrokes = {u"碰"_s,  u"的一"_s,  u"的一是"_s,   u"的一是在"_s, u"c"_s,        u"cr"_s,
                                    u"cra"_s, u"crash"_s, u"crash 快"_s, u"项目4213"_s, u"无此文字"_s, QString()};
    const int rounds = 7;
    QList<QList<double>> times(keystrokes.size());
    QList<int> shown(keystrokes.size());
    list.loadProjectList();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1500)
        QApplication::processEvents();
    list.prepareFilter();
    for (int round = 0; round < rounds; ++round) {
        for (qsizetype k = 0; k < keystrokes.size(); ++k) {
            times[k] << timed(list, keystrokes.at(k));
            shown[k] = list.shownCount();
            QApplication::processEvents();
        }
    }
    std::printf("\n%-34s %10s %10s %8s\n", "find, 全文 ticked: text typed", "median ms", "max ms", "found");
    for (qsizetype k = 0; k < keystrokes.size(); ++k)
        row(keystrokes.at(k).isEmpty() ? u"(cleared)"_s : u"\""_s + keystrokes.at(k) + u'"', times.at(k), shown.at(k));

    QList<double> saves;
    QList<double> deletes;
    {
        ProjectTable projects;
        if (!projects.open())
            return 1;
        for (int round = 0; round < 3; ++round) {
            if (!saveAndDelete(projects, 1 + round * 97, saves, deletes))
                return 1;
        }
    }
    std::printf("\n%-34s %10s %10s\n", "with the index kept", "median ms", "max ms");
    row(u"save of one project's notes"_s, saves);
    row(u"delete of the first project"_s, deletes);
    row(u"the same save without the index"_s, plainSaves);
    row(u"the same delete without the index"_s, plainDeletes);
    return 0;
}
