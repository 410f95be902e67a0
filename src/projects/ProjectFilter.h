#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// Which projects a find text keeps: those whose number, name or version contains it. Latin letters match in
// either case and full-width forms match their half-width ones (Chinese input methods type "ＡＢ１" as often as
// "AB1"). The projects are folded once, so a keystroke costs one search per project.
class ProjectFilter
{
public:
    // The three texts of each project, in list order.
    void setProjects(const QStringList& numbers, const QStringList& names, const QStringList& versions);
    qsizetype size() const { return qsizetype(m_keys.size()); }

    // One flag per project: true when the project is kept. An empty text keeps every project.
    std::vector<bool> matches(const QString& text) const;

    // The same rule for one project.
    static bool matches(const QString& number, const QString& name, const QString& version, const QString& text);

    // Full-width forms to half-width, then Latin letters to lower case.
    static QString fold(const QString& text);

private:
    // number, name and version folded and joined by a line break, which no one-line field or find text holds.
    std::vector<QString> m_keys;
};
