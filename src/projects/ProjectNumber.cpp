#include "projects/ProjectNumber.h"

#include "platform/FileSystem.h"
#include "store/TableSchemas.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace ProjectNumber {

QString generate(const QDateTime& at)
{
    return at.toString(u"yyMMdd_HHmmss"_s);
}

bool isValid(const QString& number)
{
    if (number.isEmpty() || number == u"." || number == u"..")
        return false;
    static const QString kForbidden = uR"(\/:*?"<>|)"_s;
    for (QChar c : number) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || kForbidden.contains(c))
            return false;
    }
    if (number.endsWith(u'.') || number.endsWith(u' '))
        return false;
    // Windows takes these for devices whatever follows the first dot ("con.fd1" is the console).
    if (FileSystem::isWindowsDeviceName(number.section(u'.', 0, 0).trimmed(), Qt::CaseInsensitive))
        return false;
    // 255 UTF-16 code units on Windows, 255 bytes of UTF-8 on Linux, each with ".fd1".
    const qsizetype suffix = TableSchemas::packageSuffix().size();
    return number.size() + suffix <= 255 && number.toUtf8().size() + suffix <= 255;
}

} // namespace ProjectNumber
