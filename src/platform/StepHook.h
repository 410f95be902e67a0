#pragma once

#include <functional>
#include <utility>

// Where a write path lets a test in before each of its steps: the test ends the command there (by throwing) to see
// what the next start makes of every point of the real sequence. Unset, a step costs one test of an empty function.
class StepHook
{
public:
    void set(std::function<void()> hook) { m_hook = std::move(hook); }

    void operator()() const
    {
        if (m_hook)
            m_hook();
    }

private:
    std::function<void()> m_hook;
};
