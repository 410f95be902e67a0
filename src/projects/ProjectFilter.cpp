#include "projects/ProjectFilter.h"

#include "store/FindFold.h"

namespace {

constexpr QChar kSeparator = u'\n';

QString joinedKey(const QString& number, const QString& name, const QString& version)
{
    return ProjectFilter::fold(number) + kSeparator + ProjectFilter::fold(name) + kSeparator +
           ProjectFilter::fold(version);
}

} // namespace

QString ProjectFilter::fold(const QString& text)
{
    return FindFold::fold(text);
}

void ProjectFilter::setProjects(const QStringList& numbers, const QStringList& names, const QStringList& versions)
{
    const qsizetype count = std::min({numbers.size(), names.size(), versions.size()});
    m_keys.clear();
    m_keys.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        m_keys.push_back(joinedKey(numbers.at(i), names.at(i), versions.at(i)));
}

std::vector<bool> ProjectFilter::matches(const QString& text) const
{
    std::vector<bool> kept(m_keys.size(), true);
    if (text.isEmpty())
        return kept;
    const QString needle = fold(text);
    if (needle.contains(kSeparator)) {
        // Would match across two fields in the joined key; no one-line field holds a line break.
        std::fill(kept.begin(), kept.end(), false);
        return kept;
    }
    for (size_t i = 0; i < m_keys.size(); ++i)
        kept[i] = m_keys[i].contains(needle);
    return kept;
}

bool ProjectFilter::matches(const QString& number, const QString& name, const QString& version, const QString& text)
{
    if (text.isEmpty())
        return true;
    const QString needle = fold(text);
    return !needle.contains(kSeparator) && joinedKey(number, name, version).contains(needle);
}
