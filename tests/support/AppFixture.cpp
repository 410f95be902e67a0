#include "AppFixture.h"

#include "execution/WorkInProgress.h"
#include "platform/Clock.h"

#include <QTest>

AppFixture::AppFixture(bool installTables)
    : app(installTables)
{
    Clock::setOverride([this] { return clockTime; });
}

AppFixture::~AppFixture()
{
    Clock::setOverride({});
    WorkInProgress::instance().clear(); // the work a test listed belongs to its own world

    if (QTest::currentTestFailed())
        return;
    const QString problems = prompt.problems.join(u'\n');
    QTest::qVerify(problems.isEmpty(), "no unanswered question or dialog", qPrintable(problems), __FILE__, __LINE__);
    QTest::qVerify(prompt.allAnswersUsed(), "every queued answer used", "", __FILE__, __LINE__);
    const QString unread = prompt.unreadMessages().join(u'\n');
    QTest::qVerify(unread.isEmpty(), "no message the test did not expect", qPrintable(unread), __FILE__, __LINE__);
}
