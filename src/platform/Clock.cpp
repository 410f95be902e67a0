#include "platform/Clock.h"

namespace Clock {

namespace {
std::function<QDateTime()>& source()
{
    static std::function<QDateTime()> s_source;
    return s_source;
}
} // namespace

QDateTime now()
{
    return source() ? source()() : QDateTime::currentDateTime();
}

void setOverride(std::function<QDateTime()> newSource)
{
    source() = std::move(newSource);
}

} // namespace Clock
