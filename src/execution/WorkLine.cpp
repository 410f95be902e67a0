#include "execution/WorkLine.h"

#include "execution/ExecutionPaths.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kZipSuffix = u"(zip)";
constexpr QStringView kPackageSuffix = u"(未存入)";

// Lines are built with "/", but a configured execution directory may hold the platform's own separator.
qsizetype lastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(QDir::separator()));
}

// The text after the last separator, or all of it when there is none.
QString afterLastSeparator(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

} // namespace

QString WorkLine::zipCaption(const QString& workDir)
{
    return workDir + kZipSuffix;
}

QString WorkLine::fileCaption(const QString& workFile)
{
    return workFile;
}

QString WorkLine::packageCaption(const QString& pendingPackage)
{
    return pendingPackage + kPackageSuffix;
}

WorkLine WorkLine::parse(const QString& caption)
{
    WorkLine line;
    line.m_caption = caption;
    if (caption.endsWith(kPackageSuffix)) {
        line.m_package = caption.chopped(kPackageSuffix.size());
        const ExecutionPaths::PendingName name = ExecutionPaths::parsePendingName(afterLastSeparator(line.m_package));
        line.m_number = name.number;
        line.m_type = name.type;
        return line;
    }
    line.m_isZip = caption.endsWith(kZipSuffix);
    if (line.m_isZip) {
        line.m_workingFolder = caption.chopped(kZipSuffix.size());
        line.m_number = afterLastSeparator(line.m_workingFolder);
        line.m_type = u"zip"_s;
        return line;
    }
    const qsizetype slash = lastSeparator(caption);
    line.m_workingFolder = slash < 0 ? QString() : caption.left(slash);
    // The working folder is named after the number, so the file's name is the number alone (a package of no
    // type) or the number, "." and the type, also when the number holds dots itself.
    const QString fileName = caption.mid(slash + 1);
    const QString folderName = afterLastSeparator(line.m_workingFolder);
    if (!folderName.isEmpty() && (fileName == folderName || fileName.startsWith(folderName + u'.'))) {
        line.m_number = folderName;
        line.m_type = fileName.mid(folderName.size() + 1);
        return line;
    }
    // A dot before the last separator belongs to a folder name, so the number then runs to the end.
    const qsizetype dot = caption.lastIndexOf(u'.');
    const qsizetype numberEnd = dot > slash ? dot : caption.size();
    line.m_number = caption.mid(slash + 1, numberEnd - slash - 1);
    line.m_type = dot > slash ? caption.mid(dot + 1) : QString();
    return line;
}

QString WorkLine::workFile() const
{
    return isFile() ? m_caption : QString();
}

QString WorkLine::workFileWithoutExtension() const
{
    if (!isFile())
        return {};
    return m_caption.left(lastSeparator(m_caption) + 1) + m_number;
}
