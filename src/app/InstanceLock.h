#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One running program per installation folder: two runs on the same tables would act on each other's
// record numbers. The lock is the file "Tallyra.lock" in the folder, held for the whole run. On POSIX systems it
// is an flock() on the open file, which the system releases when the process ends in any way, so a run that
// crashed or was killed never leaves it stuck; the descriptor is closed on exec, so a program opened through
// the shell does not inherit it. Elsewhere QLockFile, which finds the lock of a process that is gone stale.
class InstanceLock
{
public:
    enum class State {
        Held,        // this run holds the folder
        HeldByOther, // another run holds it
        Unavailable, // no lock could be made (a read-only folder, a file system without locks)
    };

    explicit InstanceLock(const QString& folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State state() const { return m_state; }

    static QString fileName();

private:
    State m_state = State::Unavailable;
#ifdef Q_OS_UNIX
    int m_fd = -1;
#else
    std::unique_ptr<QLockFile> m_file;
#endif
};
