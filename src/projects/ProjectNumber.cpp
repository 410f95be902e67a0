#include "projects/ProjectNumber.h"

namespace ProjectNumber {

QString generate(const QDateTime& at)
{
    return at.toString(QStringLiteral("yyMMdd_HHmmss"));
}

} // namespace ProjectNumber
