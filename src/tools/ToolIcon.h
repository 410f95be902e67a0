#pragma once

#include <QIcon>
#include <QString>

#include <functional>

// The icon a tool is shown with, found from its path; the first source that has one wins: the file's own
// icon, the web-address icon, the icon of the file type, the default tool icon.
class ToolIcon
{
public:
    enum class Kind { Own, WebAddress, FileType, Default };

    // Where the desktop's icons come from; tests put a fake in its place.
    struct Source
    {
        std::function<QIcon(const QString&)> ownIcon;
        std::function<QIcon(const QString&)> fileTypeIcon;
        static Source desktop();
    };

    explicit ToolIcon(Source source = Source::desktop());

    QIcon iconOf(const QString& path, Kind* kind = nullptr) const;

    // A web address by its look: it starts with "http" or "www.", or ends with a known ending such as ".cn/",
    // "com", "aspx", in any letter case.
    static bool isWebAddress(const QString& path);

    // What the shell is asked to open for a tool's path. A web address written without a scheme
    // ("www.example.org") gets "http://", or the desktop would look for a file of that name; a path that names
    // an existing file, an absolute or drive path, or an address with its own scheme is left as it is.
    static QString shellTarget(const QString& path);

    static QIcon webAddressIcon();
    static QIcon defaultToolIcon();

private:
    Source m_source;
    QIcon m_web;
    QIcon m_default;
};
