#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// A modal progress window for long work that runs on the GUI thread (packing and unpacking packages). It
// appears only when the work takes a moment, and keeps the program's windows painted and answering while
// the work goes on. It offers no cancel: stopping half-way would leave a half-written working folder.
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

private:
    bool report(qint64 done, qint64 total);

    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_sinceEvents;
};
