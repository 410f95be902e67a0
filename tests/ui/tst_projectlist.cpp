#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Modal.h"
#include "app/AppSettings.h"
#include "app/ListAppearance.h"
#include "projects/ProjectCatalogue.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectDetailsModel.h"
#include "ui/main/ProjectDetailsView.h"
#include "ui/main/ProjectListView.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class ProjectListTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void load_records_giveCaptionsInRecordOrderWithRecordNumbers();
    void icons_followTheTypeIndexRule();
    void icons_afterDeletingAType_shiftOrFallBackToDefault();
    void icons_missingTypeTableOrNonPicture_listStillFillsWithDefaultIcon();
    void load_missingProjectTable_leavesListEmpty();
    void selection_showsLastUpdateOrReady();
    void selection_requireSelectedProject_usesTheSelectedItem();
    void arrangement_menuEntries_rebuildListAndPersist();
    void details_sortedByAHeader_actsOnTheProjectsAsTheIconsDo_data();
    void details_sortedByAHeader_actsOnTheProjectsAsTheIconsDo();
    void appearance_titleAndColours_followTheSettings();
    void appearance_backgroundPicture_tiledOrOneCopyWithoutTextBackground();
    void reload_afterPack_itemsPointAtNewNumbers();

private:
    std::unique_ptr<MainWindow> makeWindow();

    std::unique_ptr<AppFixture> m_fixture;
    TempAppDir* m_app = nullptr;
    RecordingPrompt* m_prompt = nullptr;
};

void ProjectListTest::init()
{
    m_fixture = std::make_unique<AppFixture>();
    m_app = &m_fixture->app;
    m_prompt = &m_fixture->prompt;
}

void ProjectListTest::cleanup()
{
    m_fixture.reset();
}

std::unique_ptr<MainWindow> ProjectListTest::makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->startUp();
    window->resize(800, 600);
    window->show();
    return window;
}

void ProjectListTest::load_records_giveCaptionsInRecordOrderWithRecordNumbers()
{
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"记账本"_s, 0, u"1.0"_s}));
    QVERIFY(CatalogBuilder::addProject({u"P02"_s, u"无版本"_s, 1, QString()}));
    QVERIFY(CatalogBuilder::addProject({u"P03"_s, u"记账本"_s, 2, u"1.0"_s}));
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), u"记账本 1.0"_s);
    QCOMPARE(list->item(1)->text(), u"无版本 "_s); // an empty version leaves one trailing blank
    QCOMPARE(list->item(2)->text(), u"记账本 1.0"_s);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(list->item(i)->data(ProjectListView::kRecordRole).toInt(), i + 1);
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(list->viewMode(), QListView::IconMode);
    QCOMPARE(list->iconSize(), QSize(32, 32));
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
}

void ProjectListTest::icons_followTheTypeIndexRule()
{
    // The installed table holds the three default types.
    for (int type : {0, 1, 2, 3, -1, 99})
        QVERIFY(CatalogBuilder::addProject({u"N"_s + QString::number(type), u"p"_s, type}));
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    const QList<int> expected = {1, 2, 3, 0, 0, 0};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(list->item(i)->icon().cacheKey(), list->typeIcon(expected.at(i)).cacheKey());
    QVERIFY(list->typeIcon(1).cacheKey() != list->typeIcon(0).cacheKey());
    QCOMPARE(list->typeIcon(0).cacheKey(), defaultProjectIcon().cacheKey());
    // The installed type pictures really are 32×32 pictures.
    for (int entry = 1; entry <= 3; ++entry) {
        const QImage image = list->typeIcon(entry).pixmap(32, 32).toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(qAlpha(image.pixel(0, 31)), 0); // the corner around the picture stays see-through
    }
}

void ProjectListTest::icons_afterDeletingAType_shiftOrFallBackToDefault()
{
    QVERIFY(CatalogBuilder::makeTypes(3));
    QVERIFY(CatalogBuilder::addProject({u"A"_s, u"a"_s, 1}));
    QVERIFY(CatalogBuilder::addProject({u"B"_s, u"b"_s, 2}));
    {
        RecordTable types;
        QVERIFY(types.open(TableSchemas::typeTablePath()));
        QVERIFY(types.goTo(2));
        QVERIFY(types.deleteRecord());
        QVERIFY(types.pack());
    }
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    QCOMPARE(list->item(0)->icon().cacheKey(), list->typeIcon(2).cacheKey()); // the former third type
    QCOMPARE(list->item(1)->icon().cacheKey(), list->typeIcon(0).cacheKey());
}

void ProjectListTest::icons_missingTypeTableOrNonPicture_listStillFillsWithDefaultIcon()
{
    QVERIFY(CatalogBuilder::makeTypes(2, {QByteArray("this is not a picture"), QByteArray()}));
    QVERIFY(CatalogBuilder::addProject({u"A"_s, u"a"_s, 0}));
    QVERIFY(CatalogBuilder::addProject({u"B"_s, u"b"_s, 1}));
    {
        auto w = makeWindow();
        ProjectListView* list = child<ProjectListView>(w.get());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->typeIcon(1).cacheKey(), defaultProjectIcon().cacheKey());
        QVERIFY(list->typeIcon(2).cacheKey() != defaultProjectIcon().cacheKey());
    }
    QVERIFY(QFile::remove(u"data/type.edb"_s));
    QFile::remove(u"data/type.edt"_s);
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->icon().cacheKey(), list->typeIcon(0).cacheKey());
    QCOMPARE(list->item(1)->icon().cacheKey(), list->typeIcon(0).cacheKey());
    QVERIFY(m_prompt->messages().isEmpty());
}

void ProjectListTest::load_missingProjectTable_leavesListEmpty()
{
    QVERIFY(QFile::remove(u"data/DB.EDB"_s));
    auto w = makeWindow();
    QCOMPARE(child<ProjectListView>(w.get())->count(), 0);
    QVERIFY(m_prompt->messages().isEmpty());
    QVERIFY(!QFile::exists(u"data/DB.EDB"_s));
}

void ProjectListTest::selection_showsLastUpdateOrReady()
{
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"甲"_s, 0, u"1"_s, QDateTime(QDate(2026, 12, 7), QTime(9, 30, 5))}));
    QVERIFY(CatalogBuilder::addProject({u"P02"_s, u"乙"_s, 0, u"1"_s, QDateTime(QDate(2025, 1, 2), QTime(0, 0))}));
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(w->statusText(4), u"最后更新：2026年12月7日9时30分5秒"_s);
    list->setCurrentRow(1);
    QCOMPARE(w->statusText(4), u"最后更新：2025年1月2日"_s);
    list->clearSelection();
    QCOMPARE(w->statusText(4), u"就绪"_s);
    QVERIFY(m_prompt->messages().isEmpty());

    // The table went away after the list was filled: one error per selection change, nothing shown.
    QVERIFY(QFile::rename(u"data/DB.EDB"_s, u"data/DB.bak"_s));
    list->setCurrentRow(0);
    QCOMPARE(m_prompt->texts(), QStringList{u"数据库操作失败！"_s});
    QCOMPARE(m_prompt->lastForm(), Prompt::Form::Error);
    QCOMPARE(w->statusText(4), QString());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(m_prompt->messages().size(), 2); // a click reads the table once
}

void ProjectListTest::selection_requireSelectedProject_usesTheSelectedItem()
{
    for (const QString& n : {u"A"_s, u"B"_s, u"C"_s})
        QVERIFY(CatalogBuilder::addProject({n, n}));
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    QVERIFY(!list->requireSelectedProject());
    QCOMPARE(m_prompt->lastText(), u"请选择您要操作的项目！"_s);
    m_prompt->clear();
    list->setCurrentRow(2);
    list->item(0)->setSelected(true);
    QVERIFY(list->requireSelectedProject());
    QCOMPARE(list->selectedRecordNumber(), 3); // the current item when it is selected
    QCOMPARE(list->selectedRecordNumbers(), (QList<int>{1, 3}));
    QVERIFY(m_prompt->messages().isEmpty());
}

void ProjectListTest::arrangement_menuEntries_rebuildListAndPersist()
{
    QVERIFY(CatalogBuilder::addProject({u"A"_s, u"a"_s}));
    {
        auto w = makeWindow();
        child<ProjectListView>(w.get())->setCurrentRow(0);
        child<MainMenus>(w.get())->arrangeLeft->trigger();
        QCOMPARE(child<ProjectListView>(w.get())->flow(), QListView::TopToBottom);
        QVERIFY(child<ProjectListView>(w.get())->selectedItems().isEmpty()); // the list was rebuilt
        QCOMPARE(child<ProjectListView>(w.get())->count(), 1);
    }
    QCOMPARE(AppSettings().read(SettingsKeys::kListArrangement), u"1"_s);
    auto w = makeWindow();
    QCOMPARE(child<ProjectListView>(w.get())->flow(), QListView::TopToBottom);
    child<MainMenus>(w.get())->arrangeTop->trigger();
    QCOMPARE(child<ProjectListView>(w.get())->flow(), QListView::LeftToRight);
}

// The details view lists what the icon view lists (the find bar's choice too), sorted by the header clicked; the
// project picked there is the one every command takes, and the arrangement and the sort outlive the window.
void ProjectListTest::details_sortedByAHeader_actsOnTheProjectsAsTheIconsDo_data()
{
    QTest::addColumn<int>("column"); // -1: no header clicked
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QStringList>("shown"); // numbers, top to bottom
    QTest::newRow("record order") << -1 << 0 << QString() << QStringList{u"P02"_s, u"P01"_s, u"P03"_s};
    QTest::newRow("编号") << 0 << 1 << QString() << QStringList{u"P01"_s, u"P02"_s, u"P03"_s};
    QTest::newRow("编号, clicked twice") << 0 << 2 << QString() << QStringList{u"P03"_s, u"P02"_s, u"P01"_s};
    QTest::newRow("版本") << 2 << 1 << QString() << QStringList{u"P01"_s, u"P03"_s, u"P02"_s};
    QTest::newRow("最后更新") << 5 << 1 << QString() << QStringList{u"P03"_s, u"P02"_s, u"P01"_s};
    QTest::newRow("大小, no package first") << 6 << 1 << QString() << QStringList{u"P01"_s, u"P03"_s, u"P02"_s};
    QTest::newRow("found, then sorted by 编号") << 0 << 1 << u"1."_s << QStringList{u"P01"_s, u"P03"_s};
}

void ProjectListTest::details_sortedByAHeader_actsOnTheProjectsAsTheIconsDo()
{
    QFETCH(int, column);
    QFETCH(int, clicks);
    QFETCH(QString, found);
    QFETCH(QStringList, shown);
    QVERIFY(CatalogBuilder::addProject({u"P02"_s, u"乙"_s, 0, u"2.0"_s, QDateTime(QDate(2026, 1, 2), QTime(8, 0))}));
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"甲"_s, 0, u"1.0"_s, QDateTime(QDate(2026, 3, 1), QTime(8, 0))}));
    QVERIFY(CatalogBuilder::addProject({u"P03"_s, u"丙"_s, 0, u"1.5"_s, QDateTime(QDate(2025, 12, 31), QTime(8, 0))}));
    const auto writePackage = [](const QString& number, qsizetype size) {
        QFile file(ProjectCatalogue::packagePath(number));
        return file.open(QIODevice::WriteOnly) && file.write(QByteArray(size, 'x')) == size;
    };
    QVERIFY(writePackage(u"P02"_s, 3000));
    QVERIFY(writePackage(u"P03"_s, 10));
    const auto numbersShown = [](ProjectDetailsView* details) {
        QStringList numbers;
        for (int row = 0; row < details->model()->rowCount(); ++row)
            numbers.append(details->model()->index(row, 0).data().toString());
        return numbers;
    };
    {
        auto w = makeWindow();
        child<MainMenus>(w.get())->arrangeDetails->trigger();
        auto* details = child<ProjectDetailsView>(w.get());
        ProjectListView* list = child<ProjectListView>(w.get());
        QTRY_VERIFY(details->isVisible());
        QVERIFY(!list->isVisible());
        QStringList headers;
        for (int section = 0; section < ProjectDetailsModel::kColumnCount; ++section)
            headers.append(details->model()->headerData(section, Qt::Horizontal).toString());
        QCOMPARE(headers,
                 QStringList({u"编号"_s, u"名称"_s, u"版本"_s, u"类型"_s, u"开始时间"_s, u"最后更新"_s, u"大小"_s}));
        list->setFilterText(found);
        for (int click = 0; click < clicks; ++click) {
            QHeaderView* header = details->horizontalHeader();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
        }
        QCOMPARE(numbersShown(details), shown);
        QCOMPARE(details->model()->index(0, 5).data().toString().size(), 19); // 2026-01-02 08:00:00

        // The last row clicked is what a command takes, after the check that its record still holds it.
        const int last = int(shown.size()) - 1;
        QTest::mouseClick(details->viewport(), Qt::LeftButton, {},
                          details->visualRect(details->model()->index(last, 1)).center());
        const int record = CatalogBuilder::projectNumbers().indexOf(shown.last()) + 1;
        QCOMPARE(list->takeSelectedProject(), record);
        QCOMPARE(list->selectedRecordNumbers(), QList<int>{record});
        QSignalSpy doubleClicked(list, &ProjectListView::listDoubleClicked);
        QTest::mouseDClick(details->viewport(), Qt::LeftButton, {},
                           details->visualRect(details->model()->index(last, 1)).center());
        QCOMPARE(doubleClicked.count(), 1);
        // Execute ran on it, and again on Enter: the stand-in package is no archive (a project without one says so
        // too).
        QCOMPARE(m_prompt->messages().size(), 1);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        details->setFocus();
        QTest::keyClick(details, Qt::Key_Return);
        QCOMPARE(m_prompt->messages().size(), 2);
        QCOMPARE(m_prompt->messages().last().text, m_prompt->messages().first().text);
        m_prompt->clear();
        list->setFilterText({});
        QCOMPARE(list->selectedRecordNumbers(), QList<int>{record});
        QVERIFY(details->selectionModel()->isRowSelected(numbersShown(details).indexOf(shown.last())));
    }
    QCOMPARE(AppSettings().read(SettingsKeys::kListArrangement), u"2"_s);
    auto w = makeWindow();
    auto* details = child<ProjectDetailsView>(w.get());
    QTRY_VERIFY(details->isVisible());
    QCOMPARE(details->horizontalHeader()->sortIndicatorSection(), column < 0 ? -1 : column);
    if (found.isEmpty())
        QCOMPARE(numbersShown(details), shown);
}

void ProjectListTest::appearance_titleAndColours_followTheSettings()
{
    AppSettings s;
    s.write(SettingsKeys::kTitle, QString());
    s.write(SettingsKeys::kTextColour, u"255"_s);
    s.write(SettingsKeys::kTextBackColour, u"65280"_s);
    s.write(SettingsKeys::kBackColour, u"16711680"_s);
    auto w = makeWindow();
    QCOMPARE(w->windowTitle(), QString());
    QCOMPARE(w->statusText(0), defaultTitle());
    ProjectListView* list = child<ProjectListView>(w.get());
    QCOMPARE(list->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(list->palette().color(QPalette::Base), QColor(Qt::blue));
    QCOMPARE(list->textBackground(), QColor(Qt::green));

    // Changed settings show when they are applied again, as after the settings window.
    s.write(SettingsKeys::kTitle, u"项目库"_s);
    s.write(SettingsKeys::kTextColour, u"0"_s);
    w->applyListAppearance();
    QCOMPARE(w->windowTitle(), u"项目库"_s);
    QCOMPARE(list->palette().color(QPalette::Text), QColor(Qt::black));
}

void ProjectListTest::appearance_backgroundPicture_tiledOrOneCopyWithoutTextBackground()
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString path = m_app->filePath(u"背景.png"_s);
    QVERIFY(picture.save(path));
    AppSettings s;
    s.write(SettingsKeys::kBackground, path);
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    QVERIFY(list->hasBackgroundImage());
    QVERIFY(list->backgroundTiled());
    QVERIFY(!list->textBackground().isValid());
    // Tiled: the picture covers the top-left corner of the list.
    QImage shot = list->viewport()->grab().toImage();
    QCOMPARE(QColor(shot.pixel(2, 2)), QColor(Qt::darkCyan));

    s.write(SettingsKeys::kBackgroundOnce, u"1"_s);
    w->applyListAppearance();
    QVERIFY(!list->backgroundTiled());
    shot = list->viewport()->grab().toImage();
    QCOMPARE(QColor(shot.pixel(2, shot.height() - 3)), QColor(Qt::darkCyan)); // bottom-left corner
    QCOMPARE(QColor(shot.pixel(shot.width() - 3, 2)), QColor(Qt::white));

    s.write(SettingsKeys::kBackground, m_app->filePath(u"gone.png"_s));
    w->applyListAppearance();
    QVERIFY(!list->hasBackgroundImage());
    QCOMPARE(list->textBackground(), QColor(Qt::white));
}

void ProjectListTest::reload_afterPack_itemsPointAtNewNumbers()
{
    for (const QString& n : {u"A"_s, u"B"_s, u"C"_s})
        QVERIFY(CatalogBuilder::addProject({n, n}));
    auto w = makeWindow();
    {
        ProjectTable t;
        QVERIFY(t.open());
        QVERIFY(t.goTo(1));
        QVERIFY(t.deleteRecord());
        QVERIFY(t.pack());
    }
    child<ProjectListView>(w.get())->loadProjectList();
    QCOMPARE(child<ProjectListView>(w.get())->count(), 2);
    QCOMPARE(child<ProjectListView>(w.get())->item(0)->text(), u"B 1.0"_s);
    QCOMPARE(child<ProjectListView>(w.get())->item(0)->data(ProjectListView::kRecordRole).toInt(), 1);
}

QTEST_MAIN(ProjectListTest)
#include "tst_projectlist.moc"
