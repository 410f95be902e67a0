#include "execution/DockingRules.h"

#include <QTest>

// The panel's behaviour at the left screen edge, without a window: the rules answer, the window obeys.
class DockingRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void slideOut_fromScreenEdge_stopsWithFivePixelsShowing()
    {
        int left = 0;
        int ticks = 0;
        for (;; ++ticks) {
            const DockingRules::Tick tick = DockingRules::slideOutTick(left, 215);
            if (tick.stop)
                break;
            QCOMPARE(tick.left, left - 5);
            left = tick.left;
        }
        QCOMPARE(left, -210);
        QCOMPARE(ticks, 42);
    }

    void slideIn_fromOutOfSight_stopsAtLeftFive()
    {
        int left = -210;
        for (;;) {
            const DockingRules::Tick tick = DockingRules::slideInTick(left);
            if (tick.stop)
                break;
            QCOMPARE(tick.left, left + 5);
            left = tick.left;
        }
        QCOMPARE(left, 5);
    }

    void mouseOver_onlyAnOutOfSightPanelThatIsNotSlidingOut_slidesIn()
    {
        QVERIFY(DockingRules::startsSlideIn(-210, 215, false));
        QVERIFY(DockingRules::startsSlideIn(-204, 215, false));
        QVERIFY(!DockingRules::startsSlideIn(-203, 215, false));
        QVERIFY(!DockingRules::startsSlideIn(-210, 215, true));
    }

    void moved_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("slidingIn");
        QTest::addColumn<bool>("slidesOut");
        QTest::addColumn<int>("newLeft");
        QTest::addColumn<int>("newTop");
        QTest::newRow("dragged to -11 slides out") << -11 << 300 << false << true << -11 << 300;
        QTest::newRow("dragged to -10 stays") << -10 << 300 << false << false << -10 << 300;
        QTest::newRow("left 1 stays") << 1 << 300 << false << false << 1 << 300;
        QTest::newRow("left 2 snaps") << 2 << 300 << false << false << 0 << 300;
        QTest::newRow("left 7 snaps") << 7 << 300 << false << false << 0 << 300;
        QTest::newRow("left 8 stays") << 8 << 300 << false << false << 8 << 300;
        QTest::newRow("top 2 snaps") << 400 << 2 << false << false << 400 << 0;
        QTest::newRow("top 7 snaps") << 400 << 7 << false << false << 400 << 0;
        QTest::newRow("top 8 stays") << 400 << 8 << false << false << 400 << 8;
        QTest::newRow("corner snaps both") << 3 << 4 << false << false << 0 << 0;
        QTest::newRow("out and top snaps") << -50 << 5 << false << true << -50 << 0;
        QTest::newRow("sliding in: no snap") << 5 << 5 << true << false << 5 << 5;
        QTest::newRow("sliding in: no slide-out") << -200 << 300 << true << false << -200 << 300;
    }

    void moved()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(bool, slidingIn);
        const DockingRules::Moved moved = DockingRules::afterMove(left, top, slidingIn);
        QTEST(moved.startSlideOut, "slidesOut");
        QTEST(moved.left, "newLeft");
        QTEST(moved.top, "newTop");
    }
};

QTEST_GUILESS_MAIN(DockingRulesTest)
#include "tst_docking_rules.moc"
