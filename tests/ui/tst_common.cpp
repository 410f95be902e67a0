#include "AppFixture.h"
#include "ui/common/Prompt.h"

#include <QTest>

using namespace Qt::StringLiterals;

// What the shared window pieces show: file dialog filters.
class CommonTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void qtFilter_eachPatternShownOnce_data();
    void qtFilter_eachPatternShownOnce();
};

void CommonTest::qtFilter_eachPatternShownOnce_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("shown");
#ifdef Q_OS_WIN
    const QString every = u"*.*"_s;
#else
    const QString every = u"*"_s; // "*.*" would hide every name without a dot
#endif
    QTest::newRow("full-width brackets") << u"备份文件（*.fd2）|*.fd2"_s << u"备份文件 (*.fd2)"_s;
    QTest::newRow("ASCII brackets") << u"项目文件包(*.zip;*.rar)|*.zip;*.rar|DLL(*.dll)|*.dll"_s
                                    << u"项目文件包 (*.zip *.rar);;DLL (*.dll)"_s;
    QTest::newRow("label without pattern") << u"文本文件|*.txt"_s << u"文本文件 (*.txt)"_s;
    QTest::newRow("every file") << u"文本文件(*.TXT)|*.txt|*.*|*.*"_s << u"文本文件 (*.txt);;"_s + every;
    QTest::newRow("every file, named") << u"所有文件(*.*)|*.*|应用程序(*.exe)|*.exe"_s
                                       << u"所有文件 ("_s + every + u");;应用程序 (*.exe)"_s;
}

void CommonTest::qtFilter_eachPatternShownOnce()
{
    QFETCH(QString, filter);
    QFETCH(QString, shown);
    QCOMPARE(Prompt::qtFilter(filter), shown);
}

QTEST_MAIN(CommonTest)
#include "tst_common.moc"
