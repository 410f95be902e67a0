#include "Unprivileged.h"

#include <QFile>

using namespace Qt::StringLiterals;

#ifdef Q_OS_WIN

Unprivileged::Result Unprivileged::run(const std::function<int()>&)
{
    Result result;
    result.skipReason = u"running part of a test as another user needs a second Windows account and its password "
                        u"(and Wine has a single user, who may write everywhere)"_s;
    return result;
}

#else

#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr char kDropped = 'D';

bool dropTo(uid_t uid, gid_t gid)
{
    return setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0 && geteuid() == uid && getegid() == gid &&
           setuid(0) != 0;
}

} // namespace

Unprivileged::Result Unprivileged::run(const std::function<int()>& body)
{
    Result result;
    if (geteuid() != 0) {
        result.skipReason = u"not running as root: cannot switch to nobody, and this user's own permissions "
                            u"are not under the test's control"_s;
        return result;
    }
    const passwd* user = getpwnam("nobody");
    if (!user) {
        result.skipReason = u"no user \"nobody\" on this machine"_s;
        return result;
    }
    const group* nogroup = getgrnam("nogroup");
    const uid_t uid = user->pw_uid;
    const gid_t gid = nogroup ? nogroup->gr_gid : user->pw_gid;

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        result.skipReason = u"pipe() failed"_s;
        return result;
    }
    std::fflush(nullptr); // buffered output would otherwise be written twice
    const pid_t child = fork();
    if (child < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        result.skipReason = u"fork() failed"_s;
        return result;
    }
    if (child == 0) {
        close(pipeEnds[0]);
        if (!dropTo(uid, gid))
            _exit(127);
        const ssize_t written = write(pipeEnds[1], &kDropped, 1);
        close(pipeEnds[1]);
        if (written != 1)
            _exit(127);
        int answer = 126;
        try {
            answer = body();
        } catch (...) {
            answer = 126;
        }
        _exit(answer & 0xff);
    }

    close(pipeEnds[1]);
    char mark = 0;
    const bool dropped = read(pipeEnds[0], &mark, 1) == 1 && mark == kDropped;
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    if (!dropped) {
        result.skipReason = u"the child process could not switch to nobody/nogroup"_s;
        return result;
    }
    if (!WIFEXITED(status)) {
        result.ran = true;
        result.exitCode = 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        return result;
    }
    result.ran = true;
    result.exitCode = WEXITSTATUS(status);
    return result;
}

#endif

bool Unprivileged::makeReachable(const QString& path)
{
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}
