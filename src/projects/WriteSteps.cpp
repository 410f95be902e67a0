#include "projects/WriteSteps.h"

#include "platform/StepHook.h"

namespace WriteSteps {

namespace {

StepHook beforeEach;

} // namespace

void next()
{
    beforeEach();
}

void setBeforeEach(std::function<void()> hook)
{
    beforeEach.set(std::move(hook));
}

} // namespace WriteSteps
