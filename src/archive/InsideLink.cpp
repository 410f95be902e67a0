#include "archive/InsideLink.h"

#include <QStringList>

namespace {

// The system gives up after 40 links in one path; a longer chain is a loop or an attack.
constexpr int kMaxLinks = 40;

bool isUsableTarget(const QString& target)
{
    // A backslash is a separator to Windows tools and a drive letter or leading "/" is absolute to someone.
    return !target.isEmpty() && !target.startsWith(u'/') && !target.contains(u'\\') && !target.contains(QChar(0)) &&
           !(target.size() >= 2 && target.at(1) == u':');
}

QStringList parentParts(const QString& linkPath)
{
    QStringList parts = linkPath.split(u'/', Qt::SkipEmptyParts);
    if (!parts.isEmpty()) {
        parts.removeLast();
    }
    return parts;
}

} // namespace

namespace InsideLink {

bool staysInside(const QString& linkPath, const QString& target, const Lookup& lookup)
{
    if (!isUsableTarget(target)) {
        return false;
    }
    QStringList resolved = parentParts(linkPath);
    QStringList pending = target.split(u'/', Qt::SkipEmptyParts);
    int linksFollowed = 0;
    while (!pending.isEmpty()) {
        const QString part = pending.takeFirst();
        if (part == u'.') {
            continue;
        }
        if (part == u"..") {
            if (resolved.isEmpty()) {
                return false;
            }
            resolved.removeLast();
            continue;
        }
        resolved.append(part);
        const std::optional<QString> next = lookup(resolved.join(u'/'));
        if (!next) {
            continue;
        }
        if (++linksFollowed > kMaxLinks || !isUsableTarget(*next)) {
            return false;
        }
        resolved.removeLast();
        pending = next->split(u'/', Qt::SkipEmptyParts) + pending;
    }
    return true;
}

} // namespace InsideLink
