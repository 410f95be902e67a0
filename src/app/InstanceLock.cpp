#include "app/InstanceLock.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

QString InstanceLock::fileName()
{
    return u"Tallyra.lock"_s;
}

#ifdef Q_OS_UNIX

InstanceLock::InstanceLock(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder + u'/' + fileName());
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0) // a read-only folder still locks a file an earlier run left there
        m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    int locked = -1;
    do {
        locked = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked == 0) {
        m_state = State::Held;
        return;
    }
    m_state = errno == EWOULDBLOCK ? State::HeldByOther : State::Unavailable;
    ::close(m_fd);
    m_fd = -1;
}

InstanceLock::~InstanceLock()
{
    // The file stays: removing it could let a run that opened it a moment ago lock a name nobody else sees.
    if (m_fd >= 0)
        ::close(m_fd);
}

#else

#include <QLockFile>

InstanceLock::InstanceLock(const QString& folder)
    : m_file(std::make_unique<QLockFile>(folder + u'/' + fileName()))
{
    // Only a lock whose process is gone counts as stale, however long a run lasts.
    m_file->setStaleLockTime(0);
    if (m_file->tryLock(0))
        m_state = State::Held;
    else if (m_file->error() == QLockFile::LockFailedError)
        m_state = State::HeldByOther;
}

InstanceLock::~InstanceLock() = default;

#endif
