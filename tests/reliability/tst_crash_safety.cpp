#include "app/AppSettings.h"
#include "platform/FileSystem.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Writers are killed with SIGKILL at varied moments while they work; what they leave must always be usable.
// The writer is this program started again with "--writer KIND FOLDER": it works until it is killed, and after
// each write that returned it notes the write in FOLDER/log, so the checker knows what was promised.
namespace {

constexpr int kKills = 24;

// A record is whole when its fields agree with each other: the name, version and notes all carry one version
// of one id, and the notes are long enough that a torn write would span several pages.
ProjectRecord recordFor(int id, int version)
{
    ProjectRecord p;
    p.number = u"R%1"_s.arg(id, 6, 10, QChar(u'0'));
    p.name = u"项目%1版本%2"_s.arg(id).arg(version);
    p.version = u"v%1"_s.arg(version);
    p.notes = QString(u"%1-%2|"_s.arg(id).arg(version)).repeated(300);
    p.startTime = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    p.lastUpdate = p.startTime;
    return p;
}

void note(int fd, const QByteArray& line)
{
    // Unbuffered: what the writer notes is in the kernel before it goes on, so a kill cannot lose it.
    const QByteArray text = line + '\n';
    if (::write(fd, text.constData(), size_t(text.size())) != text.size())
        std::abort();
}

// Appends, modifies, deletes and packs the catalogue, forever.
int writeTable(const QString& folder, int fd)
{
    QDir::setCurrent(folder);
    QRandomGenerator random(quint32(::getpid()));
    for (int step = 0;; ++step) {
        ProjectTable table;
        if (!table.open())
            return 2;
        const int count = table.recordCount();
        const int action = int(random.bounded(10));
        if (action < 5 || count < 3) {
            const int id = int(random.bounded(1, 1 << 30));
            if (table.appendProject(recordFor(id, 1)))
                note(fd, "add " + QByteArray::number(id) + " 1");
        } else if (action < 8) {
            table.goTo(int(random.bounded(1, count + 1)));
            ProjectRecord p = table.readProject();
            const int id = p.number.mid(1).toInt();
            const int version = p.version.mid(1).toInt() + 1;
            if (table.modifyProject(recordFor(id, version)))
                note(fd, "set " + QByteArray::number(id) + ' ' + QByteArray::number(version));
        } else {
            table.goTo(int(random.bounded(1, count + 1)));
            const int id = table.readProject().number.mid(1).toInt();
            // Noted first: a mark that lands before the kill is packed away by the next writer.
            note(fd, "del " + QByteArray::number(id) + " 0");
            table.deleteRecord();
            table.pack();
        }
    }
}

QString settingsValue(int i)
{
    return u"值%1-"_s.arg(i).repeated(50);
}

int lastNoted(const QString& folder);

// Rewrites one key of Install.ini with ever new values, forever; the other lines must survive every kill.
int writeSettings(const QString& folder, int fd)
{
    AppSettings settings(folder + u"/Install.ini"_s);
    for (int i = lastNoted(folder) + 1;; ++i) {
        if (settings.write(SettingsKeys::kTitle, settingsValue(i)))
            note(fd, "set " + QByteArray::number(i) + " 0");
    }
}

QByteArray packageBytes(char fill)
{
    return QByteArray(3 << 20, fill);
}

// Replaces a stored package by one or the other of two packages, as update back does, forever.
int writePackage(const QString& folder, int fd)
{
    for (int i = 0;; ++i) {
        const QString source = folder + (i % 2 ? u"/b.zip"_s : u"/a.zip"_s);
        if (FileSystem::copyFile(source, folder + u"/data/P.fd1"_s))
            note(fd, "set " + QByteArray::number(i % 2) + " 0");
    }
}

int runWriter(const QString& kind, const QString& folder)
{
    const QByteArray logPath = QFile::encodeName(folder + u"/log"_s);
#ifdef O_BINARY
    // The log's lines end in "\n" alone, also on Windows.
    const int fd = ::open(logPath.constData(), O_WRONLY | O_APPEND | O_CREAT | O_BINARY, 0644);
#else
    const int fd = ::open(logPath.constData(), O_WRONLY | O_APPEND | O_CREAT, 0644);
#endif
    if (fd < 0)
        return 3;
    if (kind == u"table")
        return writeTable(folder, fd);
    if (kind == u"settings")
        return writeSettings(folder, fd);
    if (kind == u"package")
        return writePackage(folder, fd);
    return 4;
}

struct Logged
{
    QByteArray op;
    int a = 0;
    int b = 0;
};

QList<Logged> readLog(const QString& folder)
{
    QFile file(folder + u"/log"_s);
    QList<Logged> entries;
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3)
            entries.append({parts.at(0), parts.at(1).toInt(), parts.at(2).toInt()});
    }
    return entries;
}

int lastNoted(const QString& folder)
{
    const QList<Logged> log = readLog(folder);
    return log.isEmpty() ? 0 : log.constLast().a;
}

} // namespace

class CrashSafetyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWriter_leavesAWholeTableWithEveryCommittedRecord()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"data"_s));
        QVERIFY(RecordTable::create(dir.filePath(u"data/DB.EDB"_s), TableSchemas::projectFields()));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        int commits = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            killWriterAfterAWhile(u"table"_s, dir.path());
            // Every record is whole, and every noted record that was not to be deleted is there in its noted
            // version or a later one.
            // A record noted for deletion may be gone from then on: its mark may have landed, and a marked
            // record can still be modified until some later pack removes it.
            QMap<int, int> expected;
            QSet<int> doomed;
            const QList<Logged> log = readLog(dir.path());
            for (const Logged& entry : log) {
                if (entry.op == "del") {
                    doomed.insert(entry.a);
                    expected.remove(entry.a);
                } else if (!doomed.contains(entry.a)) {
                    expected[entry.a] = entry.b;
                }
            }
            commits = int(log.size());
            ProjectTable table;
            QVERIFY(table.open());
            QMap<int, int> present;
            for (table.goFirst(); !table.pastLast(); table.skip()) {
                const ProjectRecord p = table.readProject();
                const int id = p.number.mid(1).toInt();
                const int version = p.version.mid(1).toInt();
                QCOMPARE(p, recordFor(id, version));
                present[id] = version;
            }
            for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
                QVERIFY2(present.contains(it.key()), qPrintable(u"record %1 lost"_s.arg(it.key())));
                QVERIFY(present.value(it.key()) >= it.value());
            }
        }
        QDir::setCurrent(previous);
        QVERIFY2(commits > kKills, "the writer committed too little to prove anything");
    }

    void killedWriter_leavesASettingsFileWithEveryOtherLine()
    {
        QTemporaryDir dir;
        const QByteArray others = "; kept\r\n[Install]\r\nTs=2\r\nDel=1\r\n";
        {
            QFile file(dir.filePath(u"Install.ini"_s));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(others);
        }
        for (int kill = 0; kill < kKills; ++kill) {
            killWriterAfterAWhile(u"settings"_s, dir.path());
            const AppSettings settings(dir.filePath(u"Install.ini"_s));
            QCOMPARE(settings.read(SettingsKeys::kNavigationPage), u"2"_s);
            QCOMPARE(settings.read(SettingsKeys::kDeleteWithPackage), u"1"_s);
            const QString title = settings.read(SettingsKeys::kTitle);
            const int last = lastNoted(dir.path());
            // The last noted value, or the one written after it before the kill: never a torn one.
            QVERIFY2((last == 0 && title.isEmpty()) || title == settingsValue(last) || title == settingsValue(last + 1),
                     qPrintable(title.left(40)));
            // Beside them only the temporaries of killed writes, never a file of another name.
            for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
                QVERIFY2(name == u"log" || name.startsWith(u"Install.ini"), qPrintable(name));
        }
    }

    void killedWriter_leavesTheOldOrTheNewPackage()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"data"_s));
        for (const auto& [name, fill] : {std::pair{u"a.zip"_s, 'a'}, std::pair{u"b.zip"_s, 'b'}}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(packageBytes(fill));
        }
        QVERIFY(QFile::copy(dir.filePath(u"a.zip"_s), dir.filePath(u"data/P.fd1"_s)));
        for (int kill = 0; kill < kKills; ++kill) {
            killWriterAfterAWhile(u"package"_s, dir.path());
            QFile stored(dir.filePath(u"data/P.fd1"_s));
            QVERIFY(stored.open(QIODevice::ReadOnly));
            const QByteArray bytes = stored.readAll();
            QVERIFY(bytes == packageBytes('a') || bytes == packageBytes('b'));
        }
    }

private:
    static void killWriterAfterAWhile(const QString& kind, const QString& folder)
    {
        QProcess writer;
        writer.setProgram(QCoreApplication::applicationFilePath());
        writer.setArguments({u"--writer"_s, kind, folder});
        writer.start();
        QVERIFY(writer.waitForStarted());
        // Once the writer has noted its first write, the kill lands anywhere in the work that follows.
        const QFileInfo log(folder + u"/log"_s);
        const qint64 before = log.exists() ? log.size() : 0;
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(log.filePath()).size() > before, 20000);
        QThread::msleep(QRandomGenerator::global()->bounded(150));
        QCOMPARE(writer.state(), QProcess::Running);
#ifdef Q_OS_WIN
        writer.kill(); // TerminateProcess: like SIGKILL, the writer finishes nothing
#else
        ::kill(pid_t(writer.processId()), SIGKILL);
#endif
        QVERIFY(writer.waitForFinished());
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
    }
};

int main(int argc, char* argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--writer") == 0) {
        QCoreApplication app(argc, argv);
        return runWriter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    CrashSafetyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash_safety.moc"
