#include "projects/WriteSteps.h"

namespace WriteSteps {

namespace {

std::function<void()>& hook()
{
    static std::function<void()> beforeEach;
    return beforeEach;
}

} // namespace

void next()
{
    if (hook())
        hook()();
}

void setBeforeEach(std::function<void()> beforeEach)
{
    hook() = std::move(beforeEach);
}

} // namespace WriteSteps
