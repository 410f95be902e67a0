#pragma once

#include "execution/WorkLine.h"

#include <QList>
#include <QObject>
#include <QStringList>

// The projects in work in this run: what execute and the start found, until update back stores the work or 放弃
// lets it go. The panel shows these lines and the settings keep the execution directory while any is listed;
// they ask here rather than read each other's widgets. One per process.
class WorkInProgress : public QObject
{
    Q_OBJECT

public:
    static WorkInProgress& instance();

    const QList<WorkLine>& lines() const { return m_lines; }
    bool isEmpty() const { return m_lines.isEmpty(); }
    QStringList captions() const;

    // Appends the lines that are not listed yet, in order; empty captions are none.
    void add(const QStringList& captions);
    // The line is gone when its work was stored or let go; a caption not listed changes nothing.
    void remove(const QString& caption);
    // Forgets every line (the end of a run, a test's own world).
    void clear();

Q_SIGNALS:
    void changed();

private:
    WorkInProgress() = default;

    QList<WorkLine> m_lines;
};
