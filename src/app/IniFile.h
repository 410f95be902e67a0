#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A Windows-style INI text in the Chinese code page, read and changed line by line so that every line a
// write does not touch stays byte for byte as it was (Qt's own INI support assumes UTF-8 and would rewrite
// the whole file). Section and key names compare without regard to case; the first matching key wins.
class IniFile
{
public:
    static IniFile fromBytes(const QByteArray& bytes);

    // The value of the first matching key; found is false when there is none.
    QString value(const QString& section, const QString& key, bool* found = nullptr) const;
    // Replaces the first matching key's line, or adds the key at the end of the first matching section,
    // or adds the section at the end of the text.
    void setValue(const QString& section, const QString& key, const QString& value);

    QByteArray toBytes() const; // lines joined with CR LF

private:
    struct Line
    {
        QByteArray raw;
        enum Kind { Other, Section, Entry } kind = Other;
        QString name;  // section name or key, trimmed
        QString value; // entry value, trimmed
    };

    static Line parse(const QByteArray& raw);
    qsizetype findSection(const QString& section) const;
    qsizetype findEntry(qsizetype sectionLine, const QString& key) const;
    qsizetype findFirstEntry(const QString& section, const QString& key) const;

    QList<Line> m_lines;
};
