#include "ExecutionFixture.h"

#include "Modal.h"
#include "ZipBuilder.h"
#include "app/AppSettings.h"
#include "execution/ui/ExecutedProjectsWindow.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectListView.h"

#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

ExecutionFixture::ExecutionFixture()
{
    clockTime = now();
    QDir().mkpath(workRoot());
    setExecutionDir(workRoot());
}

ExecutionFixture::~ExecutionFixture()
{
    delete panel();
    m_main.reset();
}

QDateTime ExecutionFixture::startDate()
{
    return QDateTime(QDate(2025, 3, 1), QTime(8, 0));
}

QByteArray ExecutionFixture::sourcePackage()
{
    return ZipBuilder()
        .addFile("main.e", "program text")
        .addFile("readme.txt", "notes")
        .addFile("lib/util.e", "helper")
        .bytes();
}

QDateTime ExecutionFixture::now()
{
    return QDateTime(QDate(2026, 12, 7), QTime(9, 30, 5));
}

QString ExecutionFixture::workRoot() const
{
    return app.filePath(u"work"_s);
}

QString ExecutionFixture::workDir(const QString& number) const
{
    return workRoot() + u'/' + number;
}

void ExecutionFixture::setExecutionDir(const QString& value)
{
    AppSettings().write(SettingsKeys::kExecutionDir, value);
}

void ExecutionFixture::addProject(const QString& number, const QString& type, const QByteArray& package)
{
    ProjectRecord project;
    project.number = number;
    project.name = u"项目"_s + number;
    project.type = 1;
    project.version = u"2.3"_s;
    project.startTime = startDate();
    project.lastUpdate = startDate();
    project.packageType = type;
    ProjectTable table;
    QVERIFY(table.open());
    QVERIFY(table.appendProject(project));
    table.close();
    if (!package.isNull())
        app.writeFile(u"data/"_s + number + u".fd1"_s, package);
}

QString ExecutionFixture::storedPackage(const QString& number) const
{
    return ProjectCatalogue::packagePath(number);
}

QByteArray ExecutionFixture::storedBytes(const QString& number) const
{
    return app.readFile(u"data/"_s + number + u".fd1"_s);
}

int ExecutionFixture::projectCount() const
{
    ProjectTable table;
    table.open();
    return table.recordCount();
}

QVariant ExecutionFixture::field(const QString& number, int fieldNumber) const
{
    ProjectTable table;
    if (!table.open() || !table.findProjectByNumber(number))
        return {};
    return table.readField(fieldNumber);
}

void ExecutionFixture::deleteProject(const QString& number)
{
    int record = 0;
    {
        ProjectTable table;
        QVERIFY(table.open());
        QVERIFY(table.findProjectByNumber(number));
        record = table.currentRecordNumber();
    }
    QCOMPARE(ProjectRules::deleteProjects({record}, true), 1);
}

MainWindow* ExecutionFixture::mainWindow()
{
    if (!m_main) {
        m_main = std::make_unique<MainWindow>();
        m_main->startUp();
    }
    return m_main.get();
}

void ExecutionFixture::execute(const QString& number)
{
    auto* list = child<ProjectListView>(mainWindow());
    list->loadProjectList();
    list->clearSelection();
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        const int record = item->data(ProjectListView::kRecordRole).toInt();
        ProjectTable table;
        table.open();
        table.goTo(record);
        if (table.readField(ProjectField::Number).toString() == number) {
            list->setCurrentItem(item);
            item->setSelected(true);
            break;
        }
    }
    child<QPushButton>(mainWindow(), u"执行按钮"_s)->click();
}

ExecutedProjectsWindow* ExecutionFixture::panel()
{
    return ExecutedProjectsWindow::instance();
}

void ExecutionFixture::clickUpdate(const QString& line)
{
    clickPanelButton(line, u"更新按钮"_s);
}

void ExecutionFixture::clickAbandon(const QString& line)
{
    clickPanelButton(line, u"放弃按钮"_s);
}

void ExecutionFixture::clickPanelButton(const QString& line, const QString& button)
{
    ExecutedProjectsWindow* window = panel();
    QVERIFY(window);
    auto* list = window->findChild<QTreeWidget*>(u"已执行列表框"_s);
    QVERIFY(list);
    if (!line.isEmpty()) {
        list->clearSelection();
        const QList<QTreeWidgetItem*> found = list->findItems(line, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        list->setCurrentItem(found.first()); // as a click does: current and selected
    }
    auto* pushButton = window->findChild<QPushButton*>(button);
    QVERIFY(pushButton);
    // The panel keeps sliding at the screen edge; a click goes to the button wherever it is at that moment.
    pushButton->click();
}
