#pragma once

// How the executed-projects panel docks at the left screen edge: it slides out of sight leaving a strip of a
// few pixels, slides back in when the mouse passes over that strip, and snaps to the screen edges when dragged
// close to them. Pure position logic on screen pixels, so the window only applies the answers.
//
// The slide-out timer is 时钟1, the slide-in timer 时钟2; each tick moves the panel by kStep pixels.
class DockingRules
{
public:
    static constexpr int kStep = 5;
    // The platform cannot tick every 3 ms; 10 ms is the shortest period that timers keep reliably.
    static constexpr int kTickMs = 10;

    struct Tick
    {
        bool stop = false; // stop the timer and leave the panel where it is
        int left = 0;      // otherwise: the new left edge
    };

    struct Moved
    {
        bool startSlideOut = false;
        int left = 0;
        int top = 0;
    };

    // 时钟1: stops once left < -(width - 8), otherwise steps left.
    static Tick slideOutTick(int left, int width);
    // 时钟2: stops once left > 1, otherwise steps right.
    static Tick slideInTick(int left);
    // The mouse moved over the panel: slide in when it is out of sight and not still sliding out.
    static bool startsSlideIn(int left, int width, bool slideOutRunning);
    // The panel moved (dragged or by a tick). While it slides in, nothing happens; otherwise dragged far
    // enough to the left it slides out, and an edge within 2..7 pixels of the screen edge snaps to it.
    static Moved afterMove(int left, int top, bool slideInRunning);
};
