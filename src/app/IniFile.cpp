#include "app/IniFile.h"

#include "platform/TextCodec.h"

IniFile IniFile::fromBytes(const QByteArray& bytes)
{
    IniFile ini;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArray raw = bytes.mid(start, end - start);
        if (raw.endsWith('\r'))
            raw.chop(1);
        ini.m_lines.append(parse(raw));
        start = end + 1;
    }
    return ini;
}

IniFile::Line IniFile::parse(const QByteArray& raw)
{
    Line line;
    line.raw = raw;
    const QString text = TextCodec::decode(raw).trimmed();
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close > 0) {
            line.kind = Line::Section;
            line.name = text.mid(1, close - 1).trimmed();
        }
        return line;
    }
    if (text.startsWith(u';'))
        return line;
    const qsizetype eq = text.indexOf(u'=');
    if (eq <= 0)
        return line;
    line.kind = Line::Entry;
    line.name = text.left(eq).trimmed();
    line.value = text.mid(eq + 1).trimmed();
    // The platform reader drops one pair of enclosing quotes.
    if (line.value.size() >= 2 && line.value.startsWith(u'"') && line.value.endsWith(u'"'))
        line.value = line.value.mid(1, line.value.size() - 2);
    return line;
}

qsizetype IniFile::findSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& l = m_lines.at(i);
        if (l.kind == Line::Section && l.name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype IniFile::findEntry(qsizetype sectionLine, const QString& key) const
{
    for (qsizetype i = sectionLine + 1; i < m_lines.size(); ++i) {
        const Line& l = m_lines.at(i);
        if (l.kind == Line::Section)
            break;
        if (l.kind == Line::Entry && l.name.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype IniFile::findFirstEntry(const QString& section, const QString& key) const
{
    // A section may appear more than once; the platform reader searches them in order.
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& l = m_lines.at(i);
        if (l.kind != Line::Section || l.name.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        const qsizetype entry = findEntry(i, key);
        if (entry >= 0)
            return entry;
    }
    return -1;
}

QString IniFile::value(const QString& section, const QString& key, bool* found) const
{
    const qsizetype entry = findFirstEntry(section, key);
    if (found)
        *found = entry >= 0;
    return entry >= 0 ? m_lines.at(entry).value : QString();
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QByteArray newRaw = TextCodec::encode(key + u'=' + value);
    const qsizetype entry = findFirstEntry(section, key);
    if (entry >= 0) {
        m_lines[entry] = parse(newRaw);
        return;
    }
    const qsizetype sectionLine = findSection(section);
    if (sectionLine >= 0) {
        // After the section's last non-blank line, so a blank line that separates sections stays in place.
        qsizetype insertAt = sectionLine + 1;
        for (qsizetype i = sectionLine + 1; i < m_lines.size() && m_lines.at(i).kind != Line::Section; ++i) {
            if (!m_lines.at(i).raw.trimmed().isEmpty())
                insertAt = i + 1;
        }
        m_lines.insert(insertAt, parse(newRaw));
        return;
    }
    if (!m_lines.isEmpty() && !m_lines.constLast().raw.trimmed().isEmpty())
        m_lines.append(parse(QByteArray()));
    m_lines.append(parse(TextCodec::encode(u'[' + section + u']')));
    m_lines.append(parse(newRaw));
}

QByteArray IniFile::toBytes() const
{
    QByteArray out;
    for (const Line& l : m_lines) {
        out += l.raw;
        out += "\r\n";
    }
    return out;
}
