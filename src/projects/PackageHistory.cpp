#include "projects/PackageHistory.h"

using namespace Qt::StringLiterals;

namespace PackageHistory {

QString label(Cause cause)
{
    switch (cause) {
    case Cause::Update:
        return u"更新项目"_s;
    case Cause::UpdateBack:
        return u"更新回"_s;
    case Cause::Restore:
        return u"导入"_s;
    case Cause::Revert:
        return u"恢复版本"_s;
    case Cause::Undelete:
        return u"还原"_s;
    }
    return {};
}

bool keepCurrent(const QString& number, Cause cause, const QString& replacement)
{
    Q_UNUSED(number);
    Q_UNUSED(cause);
    Q_UNUSED(replacement);
    return true;
}

} // namespace PackageHistory
