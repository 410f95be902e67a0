#include "ui/common/WorkProgress.h"

#include "platform/FileSystem.h"

#include <QApplication>
#include <QProgressDialog>

#include <algorithm>

namespace {

constexpr int kSteps = 1000;          // byte counts pass the range of int; the bar shows thousandths
constexpr int kShowAfterMs = 400;     // quick work never flashes a window
constexpr qint64 kEventsEveryMs = 30; // often enough to keep windows painted, rare enough to cost nothing

} // namespace

WorkProgress::WorkProgress(QWidget* parent, const QString& label)
    : m_dialog(std::make_unique<QProgressDialog>(label, QString(), 0, kSteps, parent))
{
    m_dialog->setWindowTitle(QApplication::applicationDisplayName());
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setCancelButton(nullptr);
    m_dialog->setMinimumDuration(kShowAfterMs);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
    m_sinceEvents.start();
}

WorkProgress::~WorkProgress() = default;

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
    if (m_sinceEvents.elapsed() >= kEventsEveryMs) {
        QApplication::processEvents();
        m_sinceEvents.restart();
    }
    return true;
}

bool WorkProgress::copyFile(QWidget* parent, const QString& from, const QString& to)
{
    WorkProgress progress(parent, QStringLiteral("正在复制文件，请稍候……"));
    return FileSystem::copyFile(from, to, progress.callback());
}
