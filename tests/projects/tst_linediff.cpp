#include "platform/TextCodec.h"
#include "projects/LineDiff.h"

#include <QTest>

using namespace Qt::StringLiterals;

// A changed file as the comparison window shows it: each line once, marked " " kept, "-" removed or "+" added, with
// its line numbers on both sides; UTF-8 and the Chinese code page read alike, and bytes that are no text refused.
class LineDiffTest : public QObject
{
    Q_OBJECT

private:
    static QString shown(const QList<LineDiff::Line>& lines)
    {
        QStringList out;
        for (const LineDiff::Line& line : lines) {
            const char mark = line.kind == LineDiff::Line::Kind::Same      ? ' '
                              : line.kind == LineDiff::Line::Kind::Removed ? '-'
                                                                           : '+';
            out << u"%1%2 %3/%4"_s.arg(QChar::fromLatin1(mark), line.text).arg(line.before).arg(line.after);
        }
        return out.join(u'|');
    }

private Q_SLOTS:
    void changedLines_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("expected"); // empty: no text

        QTest::newRow("same") << "a\nb\n"_ba
                              << "a\nb"_ba << u" a 1/1| b 2/2"_s;
        QTest::newRow("both empty") << QByteArray() << QByteArray() << QString();
        QTest::newRow("all added") << QByteArray() << "x\ny\n"_ba << u"+x 0/1|+y 0/2"_s;
        QTest::newRow("all removed") << "x\r\ny\r\n"_ba << QByteArray() << u"-x 1/0|-y 2/0"_s;
        QTest::newRow("one changed in the middle") << "a\nb\nc\n"_ba
                                                   << "a\nB\nc\n"_ba << u" a 1/1|-b 2/0|+B 0/2| c 3/3"_s;
        QTest::newRow("inserted and removed apart") << "a\nb\nc\nd\n"_ba
                                                    << "a\nx\nb\nd\n"_ba << u" a 1/1|+x 0/2| b 2/3|-c 3/0| d 4/4"_s;
        QTest::newRow("shortest, not line by line")
            << "a\nb\nc\na\nb\nb\na\n"_ba
            << "c\nb\na\nb\na\nc\n"_ba << u"-a 1/0|-b 2/0| c 3/1|+b 0/2| a 4/3| b 5/4|-b 6/0| a 7/5|+c 0/6"_s;
        QTest::newRow("line breaks of all kinds") << "a\r\nb\rc\n"_ba
                                                  << "a\nb\nc"_ba << u" a 1/1| b 2/2| c 3/3"_s;
        QTest::newRow("UTF-8 with a byte order mark") << "\xEF\xBB\xBF版本\n一\n"_ba
                                                      << "版本\n二\n"_ba << u" 版本 1/1|-一 2/0|+二 0/2"_s;
        QTest::newRow("Chinese code page against UTF-8")
            << TextCodec::encode(u"界面\r\n旧行\r\n"_s) << u"界面\n新行\n"_s.toUtf8()
            << u" 界面 1/1|-旧行 2/0|+新行 0/2"_s;
        QTest::newRow("binary") << "a\nb\n"_ba << QByteArray("a\0b", 3) << QString();

        // Too many changes for the shortest search: the lines each text holds once still stand side by side.
        QByteArray before;
        QByteArray after;
        QStringList expected;
        for (int i = 1; i <= 3000; ++i) {
            before += "k" + QByteArray::number(i) + "\nold\n";
            after += "k" + QByteArray::number(i) + "\nnew\n";
            expected << u" k%1 %2/%2"_s.arg(i).arg(2 * i - 1) << u"-old %1/0"_s.arg(2 * i) << u"+new 0/%1"_s.arg(2 * i);
        }
        QTest::newRow("more changes than the search takes") << before << after << expected.join(u'|');
    }

    void changedLines()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, expected);
        const std::optional<QStringList> earlier = LineDiff::linesOf(before);
        const std::optional<QStringList> later = LineDiff::linesOf(after);
        if (expected.isEmpty() && (!earlier || !later)) {
            QVERIFY(earlier || later); // one side is text, the other is told as none
            return;
        }
        QVERIFY(earlier && later);
        QCOMPARE(shown(LineDiff::compare(*earlier, *later)), expected);
    }
};

QTEST_GUILESS_MAIN(LineDiffTest)
#include "tst_linediff.moc"
