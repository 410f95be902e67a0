#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "app/AppDir.h"
#include "app/AppSettings.h"
#include "app/InstanceLock.h"
#include "app/ui/ProgramRun.h"
#include "execution/ui/ExecutedProjectsWindow.h"
#include "store/DataInstaller.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// The test program started again with this flag runs the main window and its message loop as the program
// does after the login, in the application folder given next, and ends it the way named last.
constexpr char kMainWindowRun[] = "--main-window-run";

int runMainWindow(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Read as Unicode: on Windows argv holds the system code page, which need not have "退出".
    const QStringList arguments = QCoreApplication::arguments();
    AppDir::set(arguments.at(2));
    QDir::setCurrent(AppDir::path());
    const QString how = arguments.at(3);
    QTimer::singleShot(0, [how] {
        const ExecutedProjectsWindow* panel = ExecutedProjectsWindow::instance();
        std::printf("listed %d\n", panel ? int(panel->lines().size()) : 0);
        std::fflush(stdout);
        MainWindow* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            window = window ? window : qobject_cast<MainWindow*>(w);
        if (how == u"退出")
            window->findChild<QPushButton*>(u"退出按钮"_s)->click();
        else if (how == u"close box")
            window->windowHandle()->close();
        // "SIGTERM" comes from the test.
    });
    return ProgramRun::runMainWindow();
}

#ifdef Q_OS_WIN

// Whether process `pid` holds the lock file `path`: it names that process, and a try to take it fails.
bool holdsLock(qint64 pid, const QString& path)
{
    QLockFile probe(path);
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    qint64 owner = 0;
    return probe.error() == QLockFile::LockFailedError && probe.getLockInfo(&owner, nullptr, nullptr) && owner == pid;
}

// The program as a Windows user starts it: the file name ends in ".exe".
const QString kProgramName = u"tallyra.exe"_s;

#else

// Whether process `pid` holds an flock() on `path`, as /proc/locks tells.
bool holdsLock(qint64 pid, const QString& path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    QFile locks(u"/proc/locks"_s);
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    const QByteArray inode = ':' + QByteArray::number(quint64(st.st_ino)) + ' ';
    const QByteArray owner = ' ' + QByteArray::number(pid) + ' ';
    for (const QByteArray& line : locks.readAll().split('\n')) {
        if (line.contains(" FLOCK ") && line.contains(owner) && line.contains(inode))
            return true;
    }
    return false;
}

const QString kProgramName = u"tallyra"_s;

#endif

} // namespace

#ifdef Q_OS_WIN
// Windows ends a program by closing its windows (WM_CLOSE, WM_ENDSESSION); the offscreen windows of the tests are
// no windows of the system, so nothing can close them that way.
constexpr const char* kNoSystemEnd = "Windows ends a program through its windows, and the tests' offscreen windows "
                                     "are none of the system's";
#endif

// Runs the real program, as a user would start it from its installation folder. It waits at the login window,
// where nobody types the password; ending it there must leave the installation as it was.
class ProgramTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endedByTheSystemAtLogin_exitsCleanlyAndWritesNothing();
    void start_dataOfALaterProgramOrNotUpgraded_saysSoAndEnds_data();
    void start_dataOfALaterProgramOrNotUpgraded_saysSoAndEnds();
    void secondStart_refusedOnlyWhileAnotherRunHoldsTheFolder_data();
    void secondStart_refusedOnlyWhileAnotherRunHoldsTheFolder();
    void quit_withWorkListed_endsTheProcessAndTheWorkIsListedAgain_data();
    void quit_withWorkListed_endsTheProcessAndTheWorkIsListedAgain();
};

void ProgramTest::endedByTheSystemAtLogin_exitsCleanlyAndWritesNothing()
{
#ifdef Q_OS_WIN
    QSKIP(kNoSystemEnd);
#endif
    QTemporaryDir dir;
    const QString program = dir.filePath(kProgramName);
    QVERIFY(QFile::copy(QStringLiteral(TALLYRA_PROGRAM), program));
    QVERIFY(installMissingData(dir.path()));
    QFile ini(dir.filePath(u"Install.ini"_s));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    // Values the main window would rewrite ("Ts=0") if it were ever made.
    ini.write("; kept\r\n[Install]\r\nTs=x\r\nTL=1\r\n");
    ini.close();

    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setWorkingDirectory(QDir::tempPath()); // the program finds its folder by itself
    process.start(program, {});
    QVERIFY(process.waitForStarted());
    QTest::qWait(2500);
    QCOMPARE(process.state(), QProcess::Running);
    process.terminate();
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);

    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), QByteArray("; kept\r\n[Install]\r\nTs=x\r\nTL=1\r\n"));
}

void ProgramTest::start_dataOfALaterProgramOrNotUpgraded_saysSoAndEnds_data()
{
    QTest::addColumn<DataFormat::Outcome>("data");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("this program's") << DataFormat::Outcome::Current << QStringList();
    QTest::newRow("an earlier program's, upgraded") << DataFormat::Outcome::Upgraded << QStringList();
    QTest::newRow("a later program's") << DataFormat::Outcome::Newer
                                       << QStringList{u"数据来自更新版本的程序，无法打开！"_s};
    QTest::newRow("upgrade failed") << DataFormat::Outcome::Failed
                                    << QStringList{u"数据升级失败！请关闭程序后检查数据目录！"_s};
}

void ProgramTest::start_dataOfALaterProgramOrNotUpgraded_saysSoAndEnds()
{
    QFETCH(DataFormat::Outcome, data);
    AppFixture fx;
    QFETCH(QStringList, messages);
    QCOMPARE(ProgramRun::mayOpenData(data), messages.isEmpty());
    QCOMPARE(fx.prompt.texts(), messages);
}

void ProgramTest::secondStart_refusedOnlyWhileAnotherRunHoldsTheFolder_data()
{
    QTest::addColumn<QString>("firstRun");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("waits at the login") << u"running"_s << QStringList{u"程序已经在运行！"_s};
    QTest::newRow("was killed") << u"killed"_s << QStringList();
    QTest::newRow("none") << QString() << QStringList();
}

void ProgramTest::secondStart_refusedOnlyWhileAnotherRunHoldsTheFolder()
{
    QFETCH(QString, firstRun);
    AppFixture fx;
    const QString program = fx.app.filePath(kProgramName);
    QVERIFY(QFile::copy(QStringLiteral(TALLYRA_PROGRAM), program));
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!firstRun.isEmpty()) {
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        // The lock is taken before the login window opens.
        QTRY_VERIFY_WITH_TIMEOUT(holdsLock(first.processId(), fx.app.filePath(InstanceLock::fileName())), 20000);
    }
    if (firstRun == u"killed") {
        first.kill();
        QVERIFY(first.waitForFinished(20000));
    }

    {
        const InstanceLock lock(AppDir::path());
        QCOMPARE(ProgramRun::mayRun(lock), firstRun != u"running");
        QTEST(fx.prompt.texts(), "messages");
        if (firstRun == u"running")
            QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Warning);
    }
    if (first.state() == QProcess::Running) {
#ifdef Q_OS_WIN
        first.kill(); // the WM_CLOSE of terminate() reaches no offscreen window
#else
        first.terminate();
#endif
        QVERIFY(first.waitForFinished(20000));
    }
}

void ProgramTest::quit_withWorkListed_endsTheProcessAndTheWorkIsListedAgain_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("退出") << u"退出"_s;
    QTest::newRow("close box") << u"close box"_s;
    QTest::newRow("SIGTERM") << u"SIGTERM"_s;
}

void ProgramTest::quit_withWorkListed_endsTheProcessAndTheWorkIsListedAgain()
{
    QFETCH(QString, how);
#ifdef Q_OS_WIN
    if (how == u"SIGTERM")
        QSKIP(kNoSystemEnd);
#endif
    TempAppDir app;
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"甲"_s}));
    AppSettings().write(SettingsKeys::kExecutionDir, app.filePath(u"work"_s));
    app.writeFile(u"work/P01/P_zip.TMP"_s, {});
    app.writeFile(u"work/P01/main.e"_s, "today's work");

    // The second run lists what the first left, and ends the same way.
    for (int run = 0; run < 2; ++run) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kMainWindowRun), app.path(), how});
        QVERIFY(process.waitForStarted());
        while (!process.canReadLine() && process.waitForReadyRead(20000)) {
        }
        QCOMPARE(process.readLine().trimmed(), QByteArray("listed 1")); // Windows writes CR LF
        if (how == u"SIGTERM")
            process.terminate();
        // Generous: a loaded machine (a sanitizer, Wine) may take its time to end a process.
        const bool ended = process.waitForFinished(60000);
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        QVERIFY2(ended, "the process lives on without its main window");
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(app.readFile(u"work/P01/main.e"_s), QByteArray("today's work"));
    }
}

int main(int argc, char* argv[])
{
    if (argc == 4 && qstrcmp(argv[1], kMainWindowRun) == 0)
        return runMainWindow(argc, argv);
    QApplication app(argc, argv);
    ProgramTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_program.moc"
