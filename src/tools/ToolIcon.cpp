#include "tools/ToolIcon.h"

#include "platform/FileIcons.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

ToolIcon::Source ToolIcon::Source::desktop()
{
    return {&FileIcons::ownIcon, &FileIcons::registeredIcon};
}

ToolIcon::ToolIcon(Source source)
    : m_source(std::move(source))
    , m_web(webAddressIcon())
    , m_default(defaultToolIcon())
{
}

QIcon ToolIcon::iconOf(const QString& path, Kind* kind) const
{
    const auto answer = [kind](Kind found, const QIcon& icon) {
        if (kind)
            *kind = found;
        return icon;
    };
    if (m_source.ownIcon) {
        const QIcon own = m_source.ownIcon(path);
        if (!own.isNull())
            return answer(Kind::Own, own);
    }
    if (isWebAddress(path))
        return answer(Kind::WebAddress, m_web);
    if (m_source.fileTypeIcon) {
        const QIcon registered = m_source.fileTypeIcon(path);
        if (!registered.isNull())
            return answer(Kind::FileType, registered);
    }
    return answer(Kind::Default, m_default);
}

bool ToolIcon::isWebAddress(const QString& path)
{
    static const QStringList endings = {u"com"_s, u"net"_s, u".cn"_s, u"org"_s, u"htm"_s, u"tml"_s,
                                        u"asp"_s, u"php"_s, u"om/"_s, u"et/"_s, u"cn/"_s};
    const QString lower = path.toLower();
    return endings.contains(lower.right(3)) || lower.right(4) == u"aspx"_s || lower.left(4) == u"http"_s ||
           lower.left(4) == u"www."_s;
}

QString ToolIcon::shellTarget(const QString& path)
{
    // A scheme has at least two characters ("C:" is a drive) and no dot, so "example.org:8080" is a host.
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+-]+:"_s);
    static const QRegularExpression fileLike(u"^([A-Za-z]:|[/\\\\.~])"_s);
    if (!isWebAddress(path) || scheme.match(path).hasMatch() || fileLike.match(path).hasMatch() ||
        QFileInfo::exists(path))
        return path;
    return u"http://"_s + path;
}

QIcon ToolIcon::webAddressIcon()
{
    return QIcon(u":/tools/web-address.svg"_s);
}

QIcon ToolIcon::defaultToolIcon()
{
    return QIcon(u":/tools/default-tool.svg"_s);
}
