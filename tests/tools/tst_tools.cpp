#include "AppFixture.h"
#include "Modal.h"
#include "store/CatalogueNotice.h"
#include "tools/ToolTable.h"
#include "tools/ui/NoteViewerWindow.h"
#include "tools/ui/ToolCommands.h"
#include "tools/ui/ToolEditorWindow.h"
#include "tools/ui/ToolPage.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainWindow.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

class ToolsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void loadToolList_itemsFollowTheTableAndTheStatusBarTheSelection();
    void deleteTools_selectedRecordsGoAfterOneQuestion_data();
    void deleteTools_selectedRecordsGoAfterOneQuestion();
    void commands_nothingSelected_warnAndOpenNothing_data();
    void commands_nothingSelected_warnAndOpenNothing();
    void editor_addThreeInARow_eachListedAndTheBoxesEmptied();
    void editor_emptyNameOrPath_refusedAndKept_data();
    void editor_emptyNameOrPath_refusedAndKept();
    void editor_edit_rewritesTheRecordInPlaceAndCloses();
    void editor_chooseProgram_takesPathAndFileName();
    void editor_tableUnwritable_errorAndTheBoxesKept();
    void noteViewerAndPathMessage_showTheSelectedTool();
    void mainWindow_toolPanelFilledAndMenuGreysWhatNeedsASelection();

private:
    static void addTools(const QStringList& names);
    static QStringList tableNames();
    QStringList listNames() const;
    void select(const QList<int>& rows);

    std::unique_ptr<AppFixture> m_fixture;
    RecordingPrompt* m_prompt = nullptr;
    std::unique_ptr<ToolPage> m_page;
};

void ToolsTest::init()
{
    m_fixture = std::make_unique<AppFixture>();
    m_prompt = &m_fixture->prompt;
    m_page = std::make_unique<ToolPage>();
    // Icons from a desktop that knows none, so the list looks the same on every machine.
    m_page->setIconSource({});
    m_page->resize(440, 360);
    // As in the main window: the page fills its list again whenever the tool table tells of a change.
    connect(&CatalogueNotice::instance(), &CatalogueNotice::toolsChanged, m_page.get(), &ToolPage::loadToolList);
}

void ToolsTest::cleanup()
{
    m_page.reset();
    m_fixture.reset();
}

void ToolsTest::addTools(const QStringList& names)
{
    ToolTable table;
    QVERIFY(table.open());
    for (const QString& name : names)
        QVERIFY(table.appendTool({name, u"/opt/"_s + name, u"关于 "_s + name}));
}

QStringList ToolsTest::tableNames()
{
    ToolTable table;
    table.open();
    QStringList names;
    for (const Tool& tool : table.readNamesAndPaths())
        names.append(tool.name);
    return names;
}

QStringList ToolsTest::listNames() const
{
    QStringList names;
    for (int i = 0; i < m_page->list()->count(); ++i)
        names.append(m_page->list()->item(i)->text());
    return names;
}

void ToolsTest::select(const QList<int>& rows)
{
    for (int row : rows)
        m_page->list()->item(row)->setSelected(true);
    if (!rows.isEmpty())
        m_page->list()->setCurrentItem(m_page->list()->item(rows.first()), QItemSelectionModel::Select);
}

void ToolsTest::loadToolList_itemsFollowTheTableAndTheStatusBarTheSelection()
{
    m_page->loadToolList();
    QCOMPARE(m_page->list()->count(), 0);

    addTools({u"编辑器"_s, u"手册"_s, u"网站"_s});
    m_page->loadToolList();
    QCOMPARE(listNames(), QStringList({u"编辑器"_s, u"手册"_s, u"网站"_s}));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_page->list()->item(i)->data(Qt::UserRole).toInt(), i + 1);
    QVERIFY(m_page->list()->selectedItems().isEmpty());

    QSignalSpy status(m_page.get(), &ToolPage::statusTextChanged);
    select({1});
    QCOMPARE(status.last().first().toString(), u"/opt/手册"_s);
    m_page->list()->clearSelection();
    QCOMPARE(status.last().first().toString(), u"就绪"_s);

    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    QListWidget* list = m_page->list();
    const QPoint third = list->visualItemRect(list->item(2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(m_prompt->shellOpened, QStringList({u"/opt/网站"_s}));
}

void ToolsTest::deleteTools_selectedRecordsGoAfterOneQuestion_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("answer"); // -1: no question
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("messages");
    const QString question = u"您确定要删除所选定的工具或资源吗？"_s;
    QTest::newRow("records 2 and 4 of five")
        << QList<int>{1, 3} << int(Prompt::Answer::Yes) << QStringList{u"A"_s, u"C"_s, u"E"_s} << QStringList{question};
    QTest::newRow("every record") << QList<int>{0, 1, 2, 3, 4} << int(Prompt::Answer::Yes) << QStringList{}
                                  << QStringList{question};
    QTest::newRow("answer No") << QList<int>{0, 4} << int(Prompt::Answer::No)
                               << QStringList{u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s} << QStringList{question};
    QTest::newRow("nothing selected") << QList<int>{} << -1 << QStringList{u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s}
                                      << QStringList{u"请选择您要删除的工具或资源！"_s};
}

void ToolsTest::deleteTools_selectedRecordsGoAfterOneQuestion()
{
    QFETCH(QList<int>, rows);
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    QFETCH(QStringList, messages);
    addTools({u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s});
    m_page->loadToolList();
    select(rows);
    if (answer >= 0)
        m_prompt->queueAnswer(Prompt::Answer(answer));

    ToolCommands::deleteTools(m_page->selectedRecordNumbers(), m_page.get());

    QCOMPARE(m_prompt->texts(), messages);
    QCOMPARE(tableNames(), left);
    if (answer == int(Prompt::Answer::Yes))
        QCOMPARE(listNames(), left);
}

void ToolsTest::commands_nothingSelected_warnAndOpenNothing_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("warning");
    QTest::newRow("edit") << 0 << u"请选择您要编辑的工具或资源！"_s;
    QTest::newRow("view note") << 1 << u"请选择您要查看的工具或资源项目！"_s;
    QTest::newRow("show path") << 2 << u"请选择您要查看的工具或资源项目！"_s;
}

void ToolsTest::commands_nothingSelected_warnAndOpenNothing()
{
    QFETCH(int, command);
    QFETCH(QString, warning);
    m_page->loadToolList();
    const int record = m_page->currentRecordNumber();
    const std::array<std::function<void()>, 3> commands = {[&] { ToolCommands::editTool(record, m_page.get()); },
                                                           [&] { ToolCommands::viewNote(record, m_page.get()); },
                                                           [&] { ToolCommands::showPath(record, m_page.get()); }};
    commands.at(command)();
    QCOMPARE(m_prompt->texts(), QStringList{warning});
    QCOMPARE(m_prompt->lastForm(), Prompt::Form::Warning);
    QVERIFY(QApplication::topLevelWidgets().size() <= 1);
}

void ToolsTest::editor_addThreeInARow_eachListedAndTheBoxesEmptied()
{
    ToolEditorWindow editor;
    editor.show();
    QCOMPARE(editor.windowTitle(), u"新建"_s);
    auto* name = editor.findChild<QLineEdit*>(u"名称编辑框"_s);
    auto* path = editor.findChild<QLineEdit*>(u"路径编辑框"_s);
    auto* description = editor.findChild<QPlainTextEdit*>(u"备注编辑框"_s);
    auto* ok = editor.findChild<QPushButton*>(u"确定按钮"_s);
    QCOMPARE(QAccessible::queryAccessibleInterface(name)->text(QAccessible::Name), u"名称"_s);
    QCOMPARE(QAccessible::queryAccessibleInterface(ok)->text(QAccessible::Name), u"确定"_s);

    for (int i = 1; i <= 3; ++i) {
        name->setText(u"工具"_s + QString::number(i));
        path->setText(u"/bin/t"_s + QString::number(i));
        description->setPlainText(u"第一行\n第二行"_s);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(m_page->list()->count(), i);
        QVERIFY(name->text().isEmpty() && path->text().isEmpty() && description->toPlainText().isEmpty());
    }
    QVERIFY(editor.isVisible());
    QCOMPARE(tableNames(), QStringList({u"工具1"_s, u"工具2"_s, u"工具3"_s}));
    QCOMPARE(ToolTable::toolAt(3), (Tool{u"工具3"_s, u"/bin/t3"_s, u"第一行\r\n第二行"_s}));
}

void ToolsTest::editor_emptyNameOrPath_refusedAndKept_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("added");
    QTest::newRow("no name") << u""_s << u"/bin/x"_s << false;
    QTest::newRow("no path") << u"x"_s << u""_s << false;
    QTest::newRow("neither") << u""_s << u""_s << false;
    QTest::newRow("name of blanks") << u"   "_s << u" "_s << true;
}

void ToolsTest::editor_emptyNameOrPath_refusedAndKept()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    QFETCH(bool, added);
    ToolEditorWindow editor;
    editor.findChild<QLineEdit*>(u"名称编辑框"_s)->setText(name);
    editor.findChild<QLineEdit*>(u"路径编辑框"_s)->setText(path);
    editor.findChild<QPlainTextEdit*>(u"备注编辑框"_s)->setPlainText(u"说明"_s);
    QTest::mouseClick(editor.findChild<QPushButton*>(u"确定按钮"_s), Qt::LeftButton);

    QCOMPARE(tableNames().size(), added ? 1 : 0);
    QCOMPARE(m_prompt->texts(), added ? QStringList() : QStringList{u"名称或路径没有输入！"_s});
    QCOMPARE(editor.findChild<QPlainTextEdit*>(u"备注编辑框"_s)->toPlainText(), added ? u""_s : u"说明"_s);
}

void ToolsTest::editor_edit_rewritesTheRecordInPlaceAndCloses()
{
    addTools({u"A"_s, u"B"_s, u"C"_s});
    {
        ToolTable table;
        table.open();
        table.goTo(2);
        table.modifyTool({u"B"_s, u"/opt/B"_s, u"一\r\n二"_s});
    }
    m_page->loadToolList();
    ToolEditorWindow editor(2);
    editor.show();
    QCOMPARE(editor.windowTitle(), u"编辑"_s);
    auto* name = editor.findChild<QLineEdit*>(u"名称编辑框"_s);
    auto* description = editor.findChild<QPlainTextEdit*>(u"备注编辑框"_s);
    QCOMPARE(name->text(), u"B"_s);
    QCOMPARE(editor.findChild<QLineEdit*>(u"路径编辑框"_s)->text(), u"/opt/B"_s);
    QCOMPARE(description->toPlainText(), u"一\n二"_s);

    name->setText(u"乙"_s);
    description->setPlainText(u"三"_s);
    QTest::mouseClick(editor.findChild<QPushButton*>(u"确定按钮"_s), Qt::LeftButton);

    QVERIFY(!editor.isVisible());
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(listNames(), QStringList({u"A"_s, u"乙"_s, u"C"_s}));
    QCOMPARE(ToolTable::toolAt(2), (Tool{u"乙"_s, u"/opt/B"_s, u"三"_s}));
}

void ToolsTest::editor_chooseProgram_takesPathAndFileName()
{
    ToolEditorWindow editor;
    auto* name = editor.findChild<QLineEdit*>(u"名称编辑框"_s);
    auto* path = editor.findChild<QLineEdit*>(u"路径编辑框"_s);
    auto* browse = editor.findChild<QPushButton*>(u"浏览目录按钮"_s);
    name->setText(u"typed"_s);
    m_prompt->queueOpenFile(u"/usr/local/bin/编辑器.exe"_s);
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(path->text(), u"/usr/local/bin/编辑器.exe"_s);
    QCOMPARE(name->text(), u"编辑器.exe"_s);
#ifdef Q_OS_WIN
    QCOMPARE(m_prompt->fileDialogs.last().filter, u"应用程序(*.exe)|*.exe|所有文件(*.*)|*.*"_s);
#else
    QCOMPARE(m_prompt->fileDialogs.last().filter, u"所有文件(*.*)|*.*|应用程序(*.exe)|*.exe"_s);
#endif

    m_prompt->queueOpenFile(u""_s);
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(path->text(), u"/usr/local/bin/编辑器.exe"_s);
    QCOMPARE(QDir::currentPath(), m_fixture->app.path());
}

void ToolsTest::editor_tableUnwritable_errorAndTheBoxesKept()
{
    QVERIFY(QFile::remove(m_fixture->app.filePath(u"data/tool.edb"_s)));
    ToolEditorWindow editor;
    editor.findChild<QLineEdit*>(u"名称编辑框"_s)->setText(u"x"_s);
    editor.findChild<QLineEdit*>(u"路径编辑框"_s)->setText(u"/x"_s);
    QTest::mouseClick(editor.findChild<QPushButton*>(u"确定按钮"_s), Qt::LeftButton);
    QCOMPARE(m_prompt->texts(), QStringList{u"添加工具或资源失败!"_s});
    QCOMPARE(m_prompt->lastForm(), Prompt::Form::Error);
    QCOMPARE(editor.findChild<QLineEdit*>(u"名称编辑框"_s)->text(), u"x"_s);
    QVERIFY(!QFile::exists(m_fixture->app.filePath(u"data/tool.edb"_s)));
}

void ToolsTest::noteViewerAndPathMessage_showTheSelectedTool()
{
    addTools({u"A"_s});
    {
        ToolTable table;
        table.open();
        table.appendTool({u"文档"_s, u"/home/u/说明.txt"_s, u"第一行\r\n第二行"_s});
    }
    m_page->loadToolList();
    select({1});

    const NoteViewerWindow viewer(m_page->currentRecordNumber());
    QCOMPARE(viewer.windowTitle(), u"文档"_s);
    QCOMPARE(viewer.shownText(), u"第一行\n第二行\n\n路径：/home/u/说明.txt"_s);

    ToolCommands::showPath(m_page->currentRecordNumber(), m_page.get());
    QCOMPARE(m_prompt->texts(), QStringList{u"/home/u/说明.txt"_s});
    QCOMPARE(m_prompt->lastForm(), Prompt::Form::Information);
    QCOMPARE(m_prompt->messages().last().title, u"路径"_s);
}

void ToolsTest::mainWindow_toolPanelFilledAndMenuGreysWhatNeedsASelection()
{
    addTools({u"A"_s, u"B"_s});
    MainWindow window;
    window.resize(800, 600);
    ToolPage* page = child<ToolPage>(&window);
    QCOMPARE(page->list()->count(), 0);
    child<QPushButton>(&window, u"工具资源按钮"_s)->click();
    QCOMPARE(child<QTabWidget>(&window, u"选择夹1"_s)->currentIndex(), int(MainWindow::ToolListTab));
    QCOMPARE(page->list()->count(), 2);

    MainMenus* menus = child<MainMenus>(&window);
    Q_EMIT page->list()->customContextMenuRequested(QPoint(300, 300));
    QVERIFY(!menus->deleteTool->isEnabled() && !menus->viewNote->isEnabled());
    QVERIFY(menus->addTool->isEnabled() && menus->showPath->isEnabled() && menus->editTool->isEnabled());
    menus->toolMenu()->close();

    page->list()->item(1)->setSelected(true);
    page->list()->setCurrentItem(page->list()->item(1), QItemSelectionModel::Select);
    QCOMPARE(window.statusText(4), u"/opt/B"_s);
    Q_EMIT page->list()->customContextMenuRequested(QPoint(10, 10));
    QVERIFY(menus->deleteTool->isEnabled() && menus->viewNote->isEnabled());
    menus->toolMenu()->close();

    m_prompt->queueAnswer(Prompt::Answer::Yes);
    menus->deleteTool->trigger();
    QCOMPARE(m_prompt->texts(), QStringList{u"您确定要删除所选定的工具或资源吗？"_s});
    QCOMPARE(tableNames(), QStringList{u"A"_s});
    QCOMPARE(page->list()->count(), 1);
    QCOMPARE(window.statusText(4), u"就绪"_s);
}

QTEST_MAIN(ToolsTest)
#include "tst_tools.moc"
