#include "execution/DockingRules.h"

DockingRules::Tick DockingRules::slideOutTick(int left, int width)
{
    if (left < -(width - 8))
        return {true, left};
    return {false, left - kStep};
}

DockingRules::Tick DockingRules::slideInTick(int left)
{
    if (left > 1)
        return {true, left};
    return {false, left + kStep};
}

bool DockingRules::startsSlideIn(int left, int width, bool slideOutRunning)
{
    return left < -(width - 12) && !slideOutRunning;
}

DockingRules::Moved DockingRules::afterMove(int left, int top, bool slideInRunning)
{
    Moved moved{false, left, top};
    if (slideInRunning)
        return moved;
    moved.startSlideOut = left < -10;
    if (1 < left && left < 8)
        moved.left = 0;
    if (1 < top && top < 8)
        moved.top = 0;
    return moved;
}
