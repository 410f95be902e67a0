#include "projects/LineDiff.h"

#include "platform/TextCodec.h"

#include <QHash>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace LineDiff {

namespace {

// Beyond this many differing lines the search for the shortest change stops (its memory grows with the square of
// it); the texts are then cut at the lines each holds once, and the pieces between are searched on their own.
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

// The steps from a to b: the shortest where it is found within kMaxEdits, otherwise the lines that occur once in
// each text and stand in the same order in both are kept, and the pieces between them are compared the same way.
// Pieces with no such line are shown removed, then added.
std::vector<Step> editOf(const std::vector<int>& a, const std::vector<int>& b)
{
    if (std::optional<std::vector<Step>> shortest = shortestEdit(a, b))
        return std::move(*shortest);
    QHash<int, std::pair<int, int>> count; // per line id: occurrences in a, in b
    QHash<int, int> inB;                   // per line id: its (last) position in b
    for (const int id : a)
        ++count[id].first;
    for (int j = 0; j < int(b.size()); ++j) {
        ++count[b[j]].second;
        inB[b[j]] = j;
    }
    // Unique lines as (position in a, position in b), in the order of a; the longest run rising in b (patience sort).
    std::vector<std::pair<int, int>> unique;
    for (int i = 0; i < int(a.size()); ++i) {
        if (count.value(a[i]) == std::pair(1, 1))
            unique.emplace_back(i, inB.value(a[i]));
    }
    std::vector<int> tails;                     // index into unique of the smallest end of a run of each length
    std::vector<int> before(unique.size(), -1); // the previous element of the run through each one
    for (int u = 0; u < int(unique.size()); ++u) {
        const auto place = std::lower_bound(tails.begin(), tails.end(), unique[u].second,
                                            [&unique](int t, int j) { return unique[t].second < j; });
        if (place != tails.begin())
            before[u] = *(place - 1);
        if (place == tails.end())
            tails.push_back(u);
        else
            *place = u;
    }
    std::vector<Step> steps;
    if (tails.empty()) {
        steps.assign(a.size(), Step::Remove);
        steps.insert(steps.end(), b.size(), Step::Add);
        return steps;
    }
    std::vector<std::pair<int, int>> anchors;
    for (int u = tails.back(); u >= 0; u = before[u])
        anchors.push_back(unique[u]);
    std::reverse(anchors.begin(), anchors.end());
    anchors.emplace_back(int(a.size()), int(b.size())); // the end, as one more anchor that is no line
    int x = 0;
    int y = 0;
    for (const auto& [i, j] : anchors) {
        const std::vector<Step> piece =
            editOf(std::vector<int>(a.begin() + x, a.begin() + i), std::vector<int>(b.begin() + y, b.begin() + j));
        steps.insert(steps.end(), piece.begin(), piece.end());
        if (i < int(a.size()))
            steps.push_back(Step::Same);
        x = i + 1;
        y = j + 1;
    }
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
    const std::vector<Step> steps = editOf(a, b);
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
    for (const Step step : steps) {
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
