#include "projects/LineDiff.h"

#include "platform/TextCodec.h"

#include <QHash>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace LineDiff {

namespace {

// Beyond this many differing lines the search for the shortest change stops (its memory grows with the square of
// it) and the lines between the common start and end are shown as removed, then added.
constexpr int kMaxEdits = 4000;

// Myers' greedy search over line ids: the removed (true) and added lines of the shortest edit between a and b, as
// one list of steps in reading order. Empty optional when it needs more than kMaxEdits steps.
enum class Step : char { Same, Remove, Add };
std::optional<std::vector<Step>> shortestEdit(const std::vector<int>& a, const std::vector<int>& b)
{
    const int n = int(a.size());
    const int m = int(b.size());
    const int limit = std::min(n + m, kMaxEdits);
    // x reached on diagonal k after d edits, kept per d to walk back afterwards (only the d + 1 diagonals used).
    std::vector<std::vector<int>> trace;
    std::vector<int> v(2 * limit + 3, 0);
    const int offset = limit + 1;
    int found = -1;
    for (int d = 0; d <= limit && found < 0; ++d) {
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                   : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y]) {
                ++x;
                ++y;
            }
            v[offset + k] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
        std::vector<int> row(d + 1);
        for (int k = -d, i = 0; k <= d; k += 2, ++i)
            row[i] = v[offset + k];
        trace.push_back(std::move(row));
    }
    if (found < 0)
        return std::nullopt;

    std::vector<Step> steps;
    int x = n;
    int y = m;
    const auto at = [&trace](int d, int k) { return trace[d][(k + d) / 2]; };
    for (int d = found; d > 0; --d) {
        const int k = x - y;
        const bool down = k == -d || (k != d && at(d - 1, k - 1) < at(d - 1, k + 1));
        const int previousK = down ? k + 1 : k - 1;
        const int previousX = at(d - 1, previousK);
        const int previousY = previousX - previousK;
        while (x > previousX && y > previousY) {
            steps.push_back(Step::Same);
            --x;
            --y;
        }
        steps.push_back(down ? Step::Add : Step::Remove);
        x = previousX;
        y = previousY;
    }
    while (x > 0 && y > 0) {
        steps.push_back(Step::Same);
        --x;
        --y;
    }
    std::reverse(steps.begin(), steps.end());
    return steps;
}

} // namespace

QList<Line> compare(const QStringList& before, const QStringList& after)
{
    QList<Line> lines;
    int head = 0;
    const int n = int(before.size());
    const int m = int(after.size());
    while (head < n && head < m && before.at(head) == after.at(head))
        ++head;
    int tail = 0;
    while (tail < n - head && tail < m - head && before.at(n - 1 - tail) == after.at(m - 1 - tail))
        ++tail;

    for (int i = 0; i < head; ++i)
        lines.append({Line::Kind::Same, before.at(i), i + 1, i + 1});

    // The middle, as ids so the search compares numbers, not texts.
    QHash<QString, int> ids;
    const auto idsOf = [&ids](const QStringList& text, int from, int to) {
        std::vector<int> out;
        out.reserve(to - from);
        for (int i = from; i < to; ++i)
            out.push_back(*ids.insert(text.at(i), ids.value(text.at(i), int(ids.size()))));
        return out;
    };
    const std::vector<int> a = idsOf(before, head, n - tail);
    const std::vector<int> b = idsOf(after, head, m - tail);
    std::optional<std::vector<Step>> steps = shortestEdit(a, b);
    if (!steps) {
        steps.emplace(a.size(), Step::Remove);
        steps->insert(steps->end(), b.size(), Step::Add);
    }
    int x = head;
    int y = head;
    // Within one change the removed lines are shown first, whatever order the search found them in.
    QList<Line> removed;
    QList<Line> added;
    const auto flush = [&] {
        lines.append(removed);
        lines.append(added);
        removed.clear();
        added.clear();
    };
    for (const Step step : *steps) {
        switch (step) {
        case Step::Same:
            flush();
            lines.append({Line::Kind::Same, before.at(x), x + 1, y + 1});
            ++x;
            ++y;
            break;
        case Step::Remove:
            removed.append({Line::Kind::Removed, before.at(x), x + 1, 0});
            ++x;
            break;
        case Step::Add:
            added.append({Line::Kind::Added, after.at(y), 0, y + 1});
            ++y;
            break;
        }
    }
    flush();
    for (int i = 0; i < tail; ++i)
        lines.append({Line::Kind::Same, before.at(n - tail + i), n - tail + i + 1, m - tail + i + 1});
    return lines;
}

std::optional<QStringList> linesOf(const QByteArray& bytes)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    QString text;
    if (TextCodec::isValidUtf8(bytes)) {
        text = QString::fromUtf8(bytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
    } else {
        text = TextCodec::decode(bytes);
    }
    if (text.isEmpty())
        return QStringList();
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace LineDiff
