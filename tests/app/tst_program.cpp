#include "store/DataInstaller.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Runs the real program, as a user would start it from its installation folder. It waits at the login window,
// where nobody types the password; ending it there must leave the installation as it was.
class ProgramTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endedByTheSystemAtLogin_exitsCleanlyAndWritesNothing();
};

void ProgramTest::endedByTheSystemAtLogin_exitsCleanlyAndWritesNothing()
{
    QTemporaryDir dir;
    const QString program = dir.filePath(u"tallyra"_s);
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

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
