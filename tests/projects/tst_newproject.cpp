#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "FolderSnapshot.h"
#include "WindowsSkips.h"
#include "app/AppSettings.h"
#include "archive/ZipArchive.h"
#include "projects/PackageHistory.h"
#include "projects/ui/NewProjectWindow.h"
#include "projects/ui/UpdateProjectWindow.h"
#include "store/CatalogueNotice.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/common/WorkProgress.h"
#include "ui/main/ProjectListView.h"

#include <QAccessible>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class NewProjectTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void open_automaticOrManualNumbering_armsTheNumberBox();
    void confirm_withPackage_appendsRecordStoresPackageAndRearms();
    void confirm_missingNumberOrName_refusedAndNothingWritten();
    void confirm_packageMissingOrNotAFile_refusedAndNothingWritten();
    void confirm_duplicateNumber_refusedButCaseAndBlanksMakeNewNumbers();
    void confirm_sameSecondTwice_secondRefused();
    void confirm_pressedAgainWhileThePackageIsCopied_addsTheProjectOnce();
    void confirm_numberUnfitForAFileName_refusedAndNothingWrittenAnywhere_data();
    void confirm_numberUnfitForAFileName_refusedAndNothingWrittenAnywhere();
    void confirm_importOptional_recordsExtensionButStoresNoPackage();
    void confirm_packageTypeIsWhatFollowsTheLastDotOfTheFileName_data();
    void confirm_packageTypeIsWhatFollowsTheLastDotOfTheFileName();
    void browse_fileOrFolder_choosesThePathAndRestoresTheCurrentDirectory_data();
    void browse_fileOrFolder_choosesThePathAndRestoresTheCurrentDirectory();
    void confirm_folderAsPackage_packedIntoAZipPackage_data();
    void confirm_folderAsPackage_packedIntoAZipPackage();

private:
    struct Dialog
    {
        std::unique_ptr<NewProjectWindow> window;
        QLineEdit* number;
        QLineEdit* name;
        QComboBox* type;
        QLineEdit* version;
        QDateEdit* date;
        QLineEdit* package;
        QPlainTextEdit* notes;
        QPushButton* ok;
        void confirm() const { QTest::mouseClick(ok, Qt::LeftButton); }
    };
    Dialog open();
    QString writePackage(const QString& name, const QByteArray& bytes) { return m_app->writeFile(name, bytes); }
    QStringList dataFiles() const { return QDir(m_app->filePath(u"data"_s)).entryList(QDir::Files, QDir::Name); }

    std::unique_ptr<AppFixture> m_fixture;
    TempAppDir* m_app = nullptr;
    RecordingPrompt* m_prompt = nullptr;
    std::unique_ptr<ProjectListView> m_list;
};

void NewProjectTest::init()
{
    m_fixture = std::make_unique<AppFixture>();
    m_app = &m_fixture->app;
    m_prompt = &m_fixture->prompt;
    m_list = std::make_unique<ProjectListView>();
    AppSettings().write(SettingsKeys::kImportOptional, u"0"_s);
    AppSettings().write(SettingsKeys::kManualNumbering, u"0"_s);
}

void NewProjectTest::cleanup()
{
    m_list.reset();
    m_fixture.reset();
}

NewProjectTest::Dialog NewProjectTest::open()
{
    Dialog d;
    d.window = std::make_unique<NewProjectWindow>();
    NewProjectWindow* w = d.window.get();
    QObject::connect(&CatalogueNotice::instance(), &CatalogueNotice::projectsChanged, w,
                     [this] { m_list->loadProjectList(); });
    d.number = w->findChild<QLineEdit*>(u"编号编辑框"_s);
    d.name = w->findChild<QLineEdit*>(u"名称编辑框"_s);
    d.type = w->findChild<QComboBox*>(u"选择类型组合框"_s);
    d.version = w->findChild<QLineEdit*>(u"版本编辑框"_s);
    d.date = w->findChild<QDateEdit*>(u"日期框"_s);
    d.package = w->findChild<QLineEdit*>(u"文件包编辑框"_s);
    d.notes = w->findChild<QPlainTextEdit*>(u"备注编辑框"_s);
    d.ok = w->findChild<QPushButton*>(u"确定按钮"_s);
    w->show();
    return d;
}

void NewProjectTest::open_automaticOrManualNumbering_armsTheNumberBox()
{
    {
        Dialog d = open();
        QCOMPARE(d.window->windowTitle(), u"新建项目"_s);
        QCOMPARE(d.number->text(), u"261207_093005"_s);
        QCOMPARE(d.type->count(), 3);
        QCOMPARE(d.type->currentIndex(), 0);
        QCOMPARE(d.type->itemText(1), u"DLL动态链接库"_s);
        QCOMPARE(d.date->date(), QDate(2026, 12, 7));
        // What a screen reader says: the title, the label beside each box, the caption or tip of each button.
        const QList<std::pair<QString, QString>> spoken = {
            {u"分组框1"_s, u"分组框1"_s},     {u"标签1"_s, u"项目编号："_s},
            {u"编号编辑框"_s, u"项目编号"_s}, {u"选择类型组合框"_s, u"项目类型"_s},
            {u"日期框"_s, u"开始时间"_s},     {u"文件包编辑框"_s, u"文件包"_s},
            {u"备注编辑框"_s, u"备注"_s},     {u"浏览文件按钮"_s, u"选择项目文件包"_s},
            {u"取消按钮"_s, u"取消"_s},
        };
        for (const auto& [name, words] : spoken) {
            auto* control = d.window->findChild<QWidget*>(name);
            QVERIFY2(control, qPrintable(name));
            // A combo box is heard by its current text on Linux, where its label reaches the reader as a relation.
            const QString heard = qobject_cast<QComboBox*>(control)
                                      ? control->accessibleName()
                                      : QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
            QCOMPARE(heard, words);
            QCOMPARE(control->accessibleDescription(), name);
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(d.window.get())->text(QAccessible::Name), u"新建项目"_s);
    }
    AppSettings().write(SettingsKeys::kManualNumbering, u"1"_s);
    Dialog d = open();
    QVERIFY(d.number->text().isEmpty());
    QCOMPARE(d.window->focusWidget(), d.number);
    // After the first addition the box holds a generated number all the same.
    d.number->setText(u"M-1"_s);
    d.name->setText(u"手工"_s);
    d.package->setText(writePackage(u"m.zip"_s, "zip"));
    m_fixture->clockTime = m_fixture->clockTime.addSecs(61);
    d.confirm();
    QCOMPARE(d.number->text(), u"261207_093106"_s);
}

void NewProjectTest::confirm_withPackage_appendsRecordStoresPackageAndRearms()
{
    Dialog d = open();
    const QByteArray bytes("PK\x05\x06" + QByteArray(18, '\0'));
    d.name->setText(u"记账本"_s);
    d.type->setCurrentIndex(2);
    d.version->setText(u"2.1"_s);
    d.date->setDate(QDate(2026, 11, 30));
    d.package->setText(writePackage(u"src/记账本.ZIP"_s, bytes));
    d.notes->setPlainText(u"第一行\n第二行"_s);
    d.confirm();

    QVERIFY(m_prompt->messages().isEmpty());
    QCOMPARE(m_app->readFile(u"data/261207_093005.fd1"_s), bytes);
    ProjectTable t;
    QVERIFY(t.open());
    QCOMPARE(t.recordCount(), 1);
    QVERIFY(t.goTo(1));
    QCOMPARE(t.readField(ProjectField::Number).toString(), u"261207_093005"_s);
    QCOMPARE(t.readField(ProjectField::Name).toString(), u"记账本"_s);
    QCOMPARE(t.readField(ProjectField::Type).toInt(), 2);
    QCOMPARE(t.readField(ProjectField::Version).toString(), u"2.1"_s);
    const QDateTime start(QDate(2026, 11, 30), QTime(0, 0));
    QCOMPARE(t.readField(ProjectField::StartTime).toDateTime(), start);
    QCOMPARE(t.readField(ProjectField::LastUpdate).toDateTime(), start);
    QCOMPARE(t.readField(ProjectField::PackageType).toString(), u"ZIP"_s);
    QCOMPARE(t.readField(ProjectField::Notes).toString(), u"第一行\r\n第二行"_s);
    for (int f : {7, 8, 10, 11, 12, 14})
        QVERIFY2(t.readField(f).toString().isEmpty(), qPrintable(QString::number(f)));
    t.close();

    // Re-armed for the next project: type, version and date stay.
    QVERIFY(d.window->isVisible());
    QCOMPARE(d.number->text(), u"261207_093005"_s);
    QVERIFY(d.name->text().isEmpty());
    QVERIFY(d.notes->toPlainText().isEmpty());
    QVERIFY(d.package->text().isEmpty());
    QCOMPARE(d.type->currentIndex(), 2);
    QCOMPARE(d.version->text(), u"2.1"_s);
    QCOMPARE(d.date->date(), QDate(2026, 11, 30));
    QCOMPARE(m_list->count(), 1);
    QCOMPARE(m_list->item(0)->text(), u"记账本 2.1"_s);
}

void NewProjectTest::confirm_missingNumberOrName_refusedAndNothingWritten()
{
    Dialog d = open();
    d.package->setText(writePackage(u"a.zip"_s, "x"));
    d.confirm(); // no name
    d.name->setText(u"甲"_s);
    d.number->clear();
    d.confirm(); // no number
    QCOMPARE(m_prompt->texts(), (QStringList{u"填写不完整！"_s, u"填写不完整！"_s}));
    QCOMPARE(m_prompt->lastForm(), Prompt::Form::Warning);
    QCOMPARE(CatalogBuilder::projectCount(), 0);
    QCOMPARE(d.name->text(), u"甲"_s); // the dialog keeps what was typed
    // A box holding only blanks is not empty, but blanks at the end make no name of a folder on Windows.
    m_prompt->clear();
    d.number->setText(u"P01"_s);
    d.name->setText(u"  "_s);
    d.confirm();
    QVERIFY(m_prompt->messages().isEmpty());
    d.number->setText(u"  "_s);
    d.name->setText(u"甲"_s);
    d.package->setText(writePackage(u"a.zip"_s, "x"));
    d.confirm();
    QCOMPARE(m_prompt->texts(), QStringList{u"项目包文件不存在或读取失败！"_s});
    QCOMPARE(CatalogBuilder::projectCount(), 1);
}

void NewProjectTest::confirm_packageMissingOrNotAFile_refusedAndNothingWritten()
{
    Dialog d = open();
    d.name->setText(u"甲"_s);
    // A folder is a package (it is packed); what is neither a file nor a folder is none.
    QStringList paths = {QString(), m_app->filePath(u"nothing-here.zip"_s)};
#ifndef Q_OS_WIN // WindowsSkips::kPipes
    QVERIFY(::mkfifo(QFile::encodeName(m_app->filePath(u"a-pipe.zip"_s)).constData(), 0600) == 0);
    paths.append(m_app->filePath(u"a-pipe.zip"_s));
#endif
    for (const QString& path : paths) {
        d.package->setText(path);
        d.confirm();
    }
    QCOMPARE(m_prompt->texts(), QStringList(paths.size(), u"项目包文件不存在或读取失败！"_s));
    QCOMPARE(m_prompt->lastForm(), Prompt::Form::Error);
    QCOMPARE(CatalogBuilder::projectCount(), 0);
    QCOMPARE(dataFiles(), (QStringList{u"DB.EDB"_s, u"np.edb"_s, u"tool.edb"_s, u"type.edb"_s, u"type.edt"_s}));
}

void NewProjectTest::confirm_duplicateNumber_refusedButCaseAndBlanksMakeNewNumbers()
{
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"旧"_s}));
    m_app->writeFile(u"data/P01.fd1"_s, "old package");
    Dialog d = open();
    const QString package = writePackage(u"a.e"_s, "new");
    d.name->setText(u"新"_s);
    d.number->setText(u"P01"_s);
    d.package->setText(package);
    d.confirm();
    QCOMPARE(m_prompt->texts(), QStringList{u"已存在相同编号！"_s});
    QCOMPARE(m_prompt->lastForm(), Prompt::Form::Error);
    QCOMPARE(CatalogBuilder::projectCount(), 1);
    QCOMPARE(m_app->readFile(u"data/P01.fd1"_s), QByteArray("old package"));

    for (const QString& number : {u"p01"_s, u" P01"_s}) {
        d.number->setText(number);
        d.name->setText(u"新"_s);
        d.package->setText(package);
        d.confirm();
    }
    QCOMPARE(m_prompt->messages().size(), 1);
    QCOMPARE(CatalogBuilder::projectCount(), 3);
    QCOMPARE(m_app->readFile(u"data/ P01.fd1"_s), QByteArray("new"));
}

void NewProjectTest::confirm_pressedAgainWhileThePackageIsCopied_addsTheProjectOnce()
{
    // Events get in at every megabyte copied, as on a slow disk; the presses arrive in the middle of the copy.
    WorkProgress::setEventInterval(0);
    Dialog d = open();
    d.name->setText(u"大项目"_s);
    d.package->setText(writePackage(u"big.zip"_s, QByteArray(4 << 20, 'z')));
    bool pressedDuringCopy = false;
    QTimer::singleShot(0, d.window.get(), [&] {
        pressedDuringCopy = WorkProgress::running();
        QTest::mouseClick(d.ok, Qt::LeftButton);
        QTest::keyClick(d.window.get(), Qt::Key_Return);
    });
    d.confirm();
    WorkProgress::setEventInterval(30);

    QVERIFY(m_prompt->messages().isEmpty());
    QCOMPARE(CatalogBuilder::projectCount(), 1);
    QCOMPARE(QFileInfo(m_app->filePath(u"data/261207_093005.fd1"_s)).size(), qint64(4 << 20));
    QVERIFY(pressedDuringCopy);
}

void NewProjectTest::confirm_sameSecondTwice_secondRefused()
{
    Dialog d = open();
    for (int i = 0; i < 2; ++i) {
        d.name->setText(u"甲"_s);
        d.package->setText(writePackage(u"a.zip"_s, "x"));
        d.confirm();
    }
    QCOMPARE(m_prompt->texts(), QStringList{u"已存在相同编号！"_s});
    QCOMPARE(CatalogBuilder::projectCount(), 1);
}

void NewProjectTest::confirm_numberUnfitForAFileName_refusedAndNothingWrittenAnywhere_data()
{
    // Unfit on Windows or on Linux: a backup made on one is restored on the other.
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("importOptional");
    QTest::newRow("separator") << u"a/b"_s << false;
    QTest::newRow("climbs out") << u"../x"_s << false;
    QTest::newRow("nul") << (u"a"_s + QChar(0) + u"b"_s) << false;
    QTest::newRow("too long") << QString(300, u'n') << false;
    QTest::newRow("too long in UTF-8") << QString(100, u'编') << false;
    QTest::newRow("dot-dot") << u".."_s << false;
    QTest::newRow("backslash") << u"a\\b"_s << false;
    QTest::newRow("backslash, no package needed") << u"a\\b"_s << true;
    for (const char16_t c : u":*?\"<>|")
        QTest::addRow("%s", QString(c).toUtf8().constData()) << u"P"_s + QChar(c) + u"1"_s << false;
    QTest::newRow("tab") << u"P\t1"_s << false;
    QTest::newRow("line break, no package needed") << u"P1\n"_s << true;
    QTest::newRow("trailing dot") << u"P1."_s << false;
    QTest::newRow("trailing blank") << u"P1 "_s << false;
    QTest::newRow("device name") << u"con"_s << false;
    QTest::newRow("device name with a type") << u"LPT1.zip"_s << true;
}

void NewProjectTest::confirm_numberUnfitForAFileName_refusedAndNothingWrittenAnywhere()
{
    QFETCH(QString, number);
    QFETCH(bool, importOptional);
    if (importOptional)
        AppSettings().write(SettingsKeys::kImportOptional, u"1"_s);
    QDir().mkpath(m_app->filePath(u"a"_s));
    const QStringList before = QDir(m_app->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QStringList dataBefore = dataFiles();
    Dialog d = open();
    d.number->setText(number);
    d.name->setText(u"甲"_s);
    d.package->setText(m_app->writeFile(u"a/pkg.zip"_s, "x"));
    d.confirm();
    QCOMPARE(m_prompt->texts(), QStringList{u"项目包文件不存在或读取失败！"_s});
    QCOMPARE(CatalogBuilder::projectCount(), 0);
    QCOMPARE(dataFiles(), dataBefore);
    QCOMPARE(QDir(m_app->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(QDir(m_app->filePath(u"a"_s)).entryList(QDir::Files), QStringList{u"pkg.zip"_s});
}

void NewProjectTest::confirm_importOptional_recordsExtensionButStoresNoPackage()
{
    m_app->writeFile(u"data/LEFT.fd1"_s, "left behind by a deleted project");
    Dialog d = open();
    d.name->setText(u"无包"_s);
    d.number->setText(u"NOPKG"_s);
    // Only "1" makes the package optional; the setting is read at each confirmation.
    AppSettings().write(SettingsKeys::kImportOptional, u"true"_s);
    d.confirm();
    QCOMPARE(m_prompt->texts(), QStringList{u"项目包文件不存在或读取失败！"_s});
    m_prompt->clear();
    AppSettings().write(SettingsKeys::kImportOptional, u"1"_s);
    d.confirm();
    d.name->setText(u"有路径"_s);
    d.number->setText(u"LEFT"_s);
    d.package->setText(u"/nowhere/tool.dll"_s);
    d.confirm();
    QVERIFY(m_prompt->messages().isEmpty());
    ProjectTable t;
    QVERIFY(t.open());
    QVERIFY(t.goTo(1));
    QCOMPARE(t.readField(ProjectField::PackageType).toString(), QString());
    QVERIFY(t.goTo(2));
    QCOMPARE(t.readField(ProjectField::PackageType).toString(), u"dll"_s);
    QVERIFY(!QFile::exists(m_app->filePath(u"data/NOPKG.fd1"_s)));
    QCOMPARE(m_app->readFile(u"data/LEFT.fd1"_s), QByteArray("left behind by a deleted project"));
}

void NewProjectTest::confirm_packageTypeIsWhatFollowsTheLastDotOfTheFileName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("type");
    QTest::newRow("archive") << u"src/记账本.zip"_s << u"zip"_s;
    QTest::newRow("two dots") << u"src/pack.tar.gz"_s << u"gz"_s;
    QTest::newRow("dot in a folder only") << u"proj.v2/Makefile"_s << QString();
    QTest::newRow("no dot anywhere") << u"src/Makefile"_s << QString();
    QTest::newRow("dot in a folder and the name") << u"proj.v2/main.e"_s << u"e"_s;
    QTest::newRow("name ends with a dot") << u"src/notes."_s << QString();
}

void NewProjectTest::confirm_packageTypeIsWhatFollowsTheLastDotOfTheFileName()
{
    QFETCH(QString, file);
    Dialog d = open();
    d.name->setText(u"甲"_s);
    d.package->setText(writePackage(file, "bytes"));
    d.confirm();
    QVERIFY(m_prompt->messages().isEmpty());
    ProjectTable t;
    QVERIFY(t.open());
    QVERIFY(t.goTo(1));
    QTEST(t.readField(ProjectField::PackageType).toString(), "type");
}

void NewProjectTest::browse_fileOrFolder_choosesThePathAndRestoresTheCurrentDirectory_data()
{
    QTest::addColumn<int>("key"); // the access key of the browse menu's entry
    QTest::addColumn<QString>("chosen");
    QTest::newRow("a file") << int(Qt::Key_F) << u"/home/u/工程.zip"_s;
    QTest::newRow("a folder") << int(Qt::Key_D) << u"/home/u/工程"_s;
}

void NewProjectTest::browse_fileOrFolder_choosesThePathAndRestoresTheCurrentDirectory()
{
    QFETCH(int, key);
    QFETCH(QString, chosen);
    Dialog d = open();
    const bool folder = key == Qt::Key_D;
    for (const QString& answer : {chosen, QString()}) {
        if (folder)
            m_prompt->queueFolder(answer);
        else
            m_prompt->queueOpenFile(answer);
    }
    auto* browse = d.window->findChild<QPushButton*>(u"浏览文件按钮"_s);
    auto* menu = d.window->findChild<QMenu*>(u"浏览菜单"_s);
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions().at(0)->text(), u"&F.选择文件"_s);
    QCOMPARE(menu->actions().at(1)->text(), u"&D.选择文件夹"_s);
    for (int time = 0; time < 2; ++time) { // the second time cancelled: the box keeps its path
        QDir::setCurrent(QDir::tempPath());
        QTest::mouseClick(browse, Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key(key));
        QTRY_VERIFY(!menu->isVisible());
        QCOMPARE(d.package->text(), chosen);
        QCOMPARE(QDir::currentPath(), QDir(m_app->path()).canonicalPath());
    }
    QVERIFY(m_prompt->allAnswersUsed());
}

// A programmer's project is a folder: named as 文件包 (typed, browsed or dropped) it is packed into a ZIP
// package, whose type is "zip".
void NewProjectTest::confirm_folderAsPackage_packedIntoAZipPackage_data()
{
    QTest::addColumn<QString>("window"); // 新建项目 or 更新项目
    QTest::addColumn<bool>("optional");  // no package required
    QTest::addColumn<bool>("linkOut");   // the folder holds a link out of it
    QTest::addColumn<QString>("message");
    QTest::newRow("新建项目") << u"新建项目"_s << false << false << QString();
    QTest::newRow("更新项目") << u"更新项目"_s << false << false << QString();
    QTest::newRow("新建项目, no package required: only the type") << u"新建项目"_s << true << false << QString();
    QTest::newRow("a link out of the folder")
        << u"新建项目"_s << false << true
        << u"以下文件无法打包（链接到项目目录以外、管道或设备），请移走后再试：\r\nsrc/hosts"_s;
}

void NewProjectTest::confirm_folderAsPackage_packedIntoAZipPackage()
{
    QFETCH(QString, window);
    QFETCH(bool, optional);
    QFETCH(bool, linkOut);
    QFETCH(QString, message);
    const QString folder = m_app->filePath(u"工程/记账本 v1.2"_s);
    m_app->writeFile(u"工程/记账本 v1.2/main.c"_s, "int main(void) { return 0; }");
    m_app->writeFile(u"工程/记账本 v1.2/src/ledger.c"_s, "/* ledger */");
    if (linkOut) {
#ifdef Q_OS_WIN
        QSKIP(WindowsSkips::kLinks);
#endif
        QVERIFY(QFile::link(u"/etc/hosts"_s, folder + u"/src/hosts"_s));
    }
    AppSettings().write(SettingsKeys::kImportOptional, optional ? u"1"_s : u"0"_s);
    const bool update = window == u"更新项目";
    std::unique_ptr<QDialog> dialog;
    if (update) {
        QVERIFY(CatalogBuilder::addProject({u"P1"_s, u"甲"_s, 0, u"1.0"_s, {}, u"e"_s}));
        m_app->writeFile(u"data/P1.fd1"_s, "the module before");
        dialog = std::make_unique<UpdateProjectWindow>(1);
    } else {
        dialog = std::make_unique<NewProjectWindow>();
        dialog->findChild<QLineEdit*>(u"编号编辑框"_s)->setText(u"P1"_s);
        dialog->findChild<QLineEdit*>(u"名称编辑框"_s)->setText(u"记账本"_s);
    }
    dialog->show();
    dialog->findChild<QLineEdit*>(u"文件包编辑框"_s)->setText(folder);

    QTest::mouseClick(dialog->findChild<QPushButton*>(u"确定按钮"_s), Qt::LeftButton);

    QCOMPARE(m_prompt->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    // Nothing packed is left beside data/.
    QCOMPARE(QDir(m_app->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Install.ini"_s});
    if (linkOut) {
        QCOMPARE(CatalogBuilder::projectCount(), 0);
        QVERIFY(!QFileInfo::exists(m_app->filePath(u"data/P1.fd1"_s)));
        return;
    }
    const QList<ProjectRecord> projects = CatalogBuilder::allProjects();
    QCOMPARE(projects.size(), 1);
    QCOMPARE(projects.first().packageType, u"zip"_s);
    if (optional) {
        QVERIFY(!QFileInfo::exists(m_app->filePath(u"data/P1.fd1"_s)));
        return;
    }
    QTemporaryDir unpacked;
    QCOMPARE(ZipArchive::extract(m_app->filePath(u"data/P1.fd1"_s), unpacked.path()), ZipArchive::Outcome::Ok);
    QCOMPARE(FolderSnapshot::of(unpacked.path()).fileNames(), QStringList({u"main.c"_s, u"src/"_s, u"src/ledger.c"_s}));
    QFile ledger(unpacked.filePath(u"src/ledger.c"_s));
    QVERIFY(ledger.open(QIODevice::ReadOnly));
    QCOMPARE(ledger.readAll(), QByteArray("/* ledger */"));
    // The folder is the user's own: it stays as it was.
    QCOMPARE(m_app->readFile(u"工程/记账本 v1.2/main.c"_s), QByteArray("int main(void) { return 0; }"));
    if (update)
        QCOMPARE(PackageHistory::versions(u"P1"_s).size(), 1);
}

QTEST_MAIN(NewProjectTest)
#include "tst_newproject.moc"
