#include "ReadOnlyMount.h"

#include <QFile>

#ifdef Q_OS_WIN

// Windows has no bind mounts. A read-only folder there is an access-control list that denies writes, which
// Wine, where the suite runs, does not enforce; the read-only attribute of a folder does not stop writes in it.
bool ReadOnlyMount::enterPrivateNamespace()
{
    return false;
}

bool ReadOnlyMount::available()
{
    return false;
}

const char* ReadOnlyMount::unavailableReason()
{
    return "read-only cases need a read-only bind mount; Windows has none, and Wine does not enforce the "
           "access-control lists that would stand in for it";
}

ReadOnlyMount::ReadOnlyMount(const QString& folder)
    : m_path(QFile::encodeName(folder))
{
}

ReadOnlyMount::~ReadOnlyMount() = default;

#else

#include <sched.h>
#include <sys/mount.h>

namespace {

bool s_available = false;

} // namespace

bool ReadOnlyMount::enterPrivateNamespace()
{
    // Mounts made here must neither leak to the host nor outlive the process.
    s_available = unshare(CLONE_NEWNS) == 0 && mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return s_available;
}

bool ReadOnlyMount::available()
{
    return s_available;
}

const char* ReadOnlyMount::unavailableReason()
{
    return "read-only cases need a private mount namespace (root with CAP_SYS_ADMIN); root ignores permission bits, "
           "so a chmod would prove nothing";
}

ReadOnlyMount::ReadOnlyMount(const QString& folder)
    : m_path(QFile::encodeName(folder))
{
    if (!s_available)
        return;
    if (mount(m_path.constData(), m_path.constData(), nullptr, MS_BIND, nullptr) != 0)
        return;
    if (mount(nullptr, m_path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        umount2(m_path.constData(), MNT_DETACH);
        return;
    }
    m_active = true;
}

ReadOnlyMount::~ReadOnlyMount()
{
    if (m_active)
        umount2(m_path.constData(), MNT_DETACH);
}

#endif
