#include "execution/WorkInProgress.h"

#include <algorithm>

WorkInProgress& WorkInProgress::instance()
{
    static WorkInProgress work;
    return work;
}

QStringList WorkInProgress::captions() const
{
    QStringList all;
    all.reserve(m_lines.size());
    for (const WorkLine& line : m_lines)
        all.append(line.caption());
    return all;
}

void WorkInProgress::add(const QStringList& captions)
{
    QStringList listed = this->captions();
    bool added = false;
    for (const QString& caption : captions) {
        if (caption.isEmpty() || listed.contains(caption))
            continue;
        m_lines.append(WorkLine::parse(caption));
        listed.append(caption);
        added = true;
    }
    if (added)
        Q_EMIT changed();
}

void WorkInProgress::remove(const QString& caption)
{
    const auto gone = std::find_if(m_lines.cbegin(), m_lines.cend(),
                                   [&caption](const WorkLine& line) { return line.caption() == caption; });
    if (gone == m_lines.cend())
        return;
    m_lines.erase(gone);
    Q_EMIT changed();
}

void WorkInProgress::clear()
{
    if (m_lines.isEmpty())
        return;
    m_lines.clear();
    Q_EMIT changed();
}
