#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QObject;
class QProgressDialog;
class QWidget;

// A modal progress window for long work that runs on the GUI thread (packing, unpacking and copying
// packages). From its first moment no other command can start and no selection can change: until the window
// appears (only when the work takes a moment, so quick work never flashes a window) the user's clicks and
// keys are swallowed, and once it is shown it is modal. The windows stay painted while the work goes on. It
// offers no cancel: stopping half-way would leave a half-written working folder.
class WorkProgress
{
public:
    WorkProgress(QWidget* parent, const QString& label);
    ~WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // Fits the progress callbacks of the archive routines: bytes done and total; always answers true.
    std::function<bool(qint64, qint64)> callback();

    // FileSystem::copyFile with this window: a package of some gigabytes takes its time.
    static bool copyFile(QWidget* parent, const QString& from, const QString& to);

    // True while any long work runs. Commands that can be reached without a click on a window (accessibility
    // actions, code) check it, so nothing starts beside the work.
    static bool running();

    // How often the windows are kept answering during the work (30 ms); tests set 0 to let events in at every
    // progress report, as a slow disk would.
    static void setEventInterval(qint64 milliseconds);

private:
    bool report(qint64 done, qint64 total);

    std::unique_ptr<QProgressDialog> m_dialog;
    std::unique_ptr<QObject> m_inputGate;
    QElapsedTimer m_sinceEvents;
};
