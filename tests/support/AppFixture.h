#pragma once

#include "RecordingPrompt.h"
#include "TempAppDir.h"

#include <QDateTime>

// One test's world: a fresh appDir with the installed tables, a recording prompt and a clock that stands at
// `now`. When it ends (and the test has not failed already) it fails the test if a queued answer was left
// unused, a question or dialog came without an answer, or a message appeared that the test never looked at.
class AppFixture
{
public:
    explicit AppFixture(bool installTables = true);
    ~AppFixture();
    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    TempAppDir app;
    RecordingPrompt prompt;

    // The clock's time; tests move it to make numbers of later seconds.
    QDateTime clockTime = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 5));
};
