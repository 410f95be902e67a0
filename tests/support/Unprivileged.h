#pragma once

#include <QString>

#include <functional>

// Runs part of a test as the unprivileged user "nobody" (group "nogroup"). The tests run as root, and root
// ignores file permissions, so a read-only file or folder only means something to another user.
class Unprivileged
{
public:
    struct Result
    {
        bool ran = false;  // false: the body did not run; skipReason says why (pass it to QSKIP)
        int exitCode = -1; // the body's answer (0..255) when it ran
        QString skipReason;
    };

    // Forks; the child drops to nobody/nogroup for good, runs body and exits with its answer; the parent
    // waits. The body must not use QTest macros: it answers 0 for success or a number naming its failure.
    // Skips (ran == false) when not running as root or when the child cannot drop its privileges.
    static Result run(const std::function<int()>& body);

    // Makes a folder and its files readable and listable by nobody (a QTemporaryDir is created 0700).
    static bool makeReachable(const QString& path);
};
