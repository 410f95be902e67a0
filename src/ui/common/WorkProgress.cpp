#include "ui/common/WorkProgress.h"

#include "platform/FileSystem.h"

#include <QApplication>
#include <QEvent>
#include <QProgressDialog>
#include <QWindow>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSteps = 1000;      // byte counts pass the range of int; the bar shows thousandths
constexpr int kShowAfterMs = 400; // quick work never flashes a window
int s_running = 0;
qint64 s_eventsEveryMs = 30; // often enough to keep windows painted, rare enough to cost nothing

bool isUserInput(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
        return true;
    case QEvent::Close:
        // The window manager's close box; the program's own closes (the end of a session) still go through.
        return event->spontaneous();
    default:
        return false;
    }
}

// Swallows the user's input to every window but the progress window while the work runs. A modal window
// blocks input only once it is visible; this closes the gap before it appears.
class InputGate : public QObject
{
public:
    explicit InputGate(QProgressDialog* dialog)
        : m_dialog(dialog)
    {
        qApp->installEventFilter(this);
    }
    ~InputGate() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isUserInput(event))
            return false;
        if (event->type() == QEvent::Close)
            return true; // the progress window too: closing it would not stop the work
        if (auto* widget = qobject_cast<QWidget*>(watched))
            return widget->window() != m_dialog;
        if (auto* window = qobject_cast<QWindow*>(watched))
            return window != m_dialog->windowHandle();
        return true;
    }

private:
    QProgressDialog* m_dialog;
};

} // namespace

WorkProgress::WorkProgress(QWidget* parent, const QString& label)
    : m_dialog(std::make_unique<QProgressDialog>(label, QString(), 0, kSteps, parent))
{
    m_inputGate = std::make_unique<InputGate>(m_dialog.get());
    m_dialog->setWindowTitle(QApplication::applicationDisplayName());
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setCancelButton(nullptr);
    m_dialog->setMinimumDuration(kShowAfterMs);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
    ++s_running;
    m_sinceEvents.start();
}

WorkProgress::~WorkProgress()
{
    --s_running;
}

bool WorkProgress::running()
{
    return s_running > 0;
}

void WorkProgress::setEventInterval(qint64 milliseconds)
{
    s_eventsEveryMs = milliseconds;
}

std::function<bool(qint64, qint64)> WorkProgress::callback()
{
    return [this](qint64 done, qint64 total) { return report(done, total); };
}

bool WorkProgress::report(qint64 done, qint64 total)
{
    const int step = total > 0 ? int(std::clamp<qint64>(done * kSteps / total, 0, kSteps)) : kSteps;
    // setValue() of a modal dialog runs the event loop itself, so it is called only when the bar moves.
    if (step != m_dialog->value())
        m_dialog->setValue(step);
    if (m_sinceEvents.elapsed() >= s_eventsEveryMs) {
        QApplication::processEvents();
        m_sinceEvents.restart();
    }
    return true;
}

bool WorkProgress::copyFile(QWidget* parent, const QString& from, const QString& to)
{
    WorkProgress progress(parent, u"正在复制文件，请稍候……"_s);
    return FileSystem::copyFile(from, to, progress.callback());
}
