#include "FuzzBodies.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class FuzzInputsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savedInput_keepsEveryPromise_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        int rows = 0;
        for (const QString& root : {u"" TALLYRA_FUZZ_CORPUS ""_s, u"" TALLYRA_FUZZ_REGRESSIONS ""_s}) {
            for (const QString& target : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                const QDir folder(root + u'/' + target);
                for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
                    QTest::addRow("%s/%s", qPrintable(target), qPrintable(name)) << target << folder.filePath(name);
                    ++rows;
                }
            }
        }
        QVERIFY(rows > 0);
    }

    void savedInput_keepsEveryPromise()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
        const auto size = size_t(bytes.size());
        // Each body aborts when a promise is broken, which fails the program.
        if (target == u"settings_file")
            FuzzBodies::settingsFile(data, size);
        else if (target == u"record_table")
            FuzzBodies::recordTable(data, size);
        else if (target == u"extract_archive")
            FuzzBodies::extractArchive(data, size);
        else if (target == u"entry_name")
            FuzzBodies::entryName(data, size);
        else
            QFAIL(qPrintable(u"no fuzz target named "_s + target));
    }
};

QTEST_GUILESS_MAIN(FuzzInputsTest)
#include "tst_fuzz_inputs.moc"
