#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "app/AppSettings.h"
#include "projects/NewProjectWindow.h"
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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
    void browse_choosesThePathAndRestoresTheCurrentDirectory();

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
    QObject::connect(w, &NewProjectWindow::catalogueChanged, m_list.get(), &ProjectListView::loadProjectList);
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
    QDir().mkpath(m_app->filePath(u"a-folder.zip"_s));
    const QStringList paths = {QString(), m_app->filePath(u"nothing-here.zip"_s), m_app->filePath(u"a-folder.zip"_s)};
    for (const QString& path : paths) {
        d.package->setText(path);
        d.confirm();
    }
    QCOMPARE(m_prompt->texts(), QStringList(3, u"项目包文件不存在或读取失败！"_s));
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

void NewProjectTest::browse_choosesThePathAndRestoresTheCurrentDirectory()
{
    Dialog d = open();
    m_prompt->queueOpenFile(u"/home/u/工程.zip"_s);
    m_prompt->queueOpenFile(QString());
    auto* browse = d.window->findChild<QPushButton*>(u"浏览文件按钮"_s);
    QDir::setCurrent(QDir::tempPath());
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(d.package->text(), u"/home/u/工程.zip"_s);
    QCOMPARE(QDir::currentPath(), QDir(m_app->path()).canonicalPath());
    QDir::setCurrent(QDir::tempPath());
    QTest::mouseClick(browse, Qt::LeftButton); // cancelled: the box keeps its path
    QCOMPARE(d.package->text(), u"/home/u/工程.zip"_s);
    QCOMPARE(QDir::currentPath(), QDir(m_app->path()).canonicalPath());
}

QTEST_MAIN(NewProjectTest)
#include "tst_newproject.moc"
