#include "app/AppSettings.h"

#include "app/AppDir.h"
#include "app/IniFile.h"
#include "platform/DurableFile.h"

#include <QFile>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

IniFile load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return IniFile::fromBytes(file.readAll());
}

} // namespace

QString defaultTitle()
{
    return u"Tallyra 作者：林默工作室 联系电话：010-6273-9739"_s;
}

AppSettings::AppSettings()
    : m_path(AppDir::filePath(u"Install.ini"_s))
{
}

AppSettings::AppSettings(const QString& filePath)
    : m_path(filePath)
{
}

QString AppSettings::read(const QString& section, const QString& key, const QString& defaultValue) const
{
    bool found = false;
    const QString value = load(m_path).value(section, key, &found);
    return found ? value : defaultValue;
}

QString AppSettings::read(const SettingsKeys::Key& key, const QString& defaultValue) const
{
    return read(QString::fromUtf16(key.section), QString::fromUtf16(key.key), defaultValue);
}

bool AppSettings::contains(const SettingsKeys::Key& key) const
{
    bool found = false;
    load(m_path).value(QString::fromUtf16(key.section), QString::fromUtf16(key.key), &found);
    return found;
}

int AppSettings::readNumber(const SettingsKeys::Key& key, const QString& defaultValue) const
{
    return toNumber(read(key, defaultValue));
}

int AppSettings::readLimit(const SettingsKeys::Key& key) const
{
    const int value = readNumber(key, key.defaultValue());
    return value >= 1 ? value : toNumber(key.defaultValue());
}

bool AppSettings::readFlag(const SettingsKeys::Key& key) const
{
    return read(key) == u"1";
}

bool AppSettings::writeFlag(const SettingsKeys::Key& key, bool on)
{
    return write(key, on ? u"1"_s : u"0"_s);
}

QColor AppSettings::readColour(const SettingsKeys::Key& key, const QString& defaultValue) const
{
    return toColour(readNumber(key, defaultValue));
}

bool AppSettings::isFromNewerProgram() const
{
    return readNumber(SettingsKeys::kFormat, SettingsKeys::kFormat.defaultValue()) > kFormatVersion;
}

bool AppSettings::write(const QString& section, const QString& key, const QString& value)
{
    QByteArray existing;
    {
        QFile file(m_path);
        if (file.exists()) {
            if (!file.open(QIODevice::ReadOnly))
                return false; // never replace a file we could not read: its other lines would be lost
            existing = file.readAll();
        }
    }
    IniFile ini = IniFile::fromBytes(existing);
    bool found = false;
    const QString format = ini.value(QString::fromUtf16(SettingsKeys::kFormat.section),
                                     QString::fromUtf16(SettingsKeys::kFormat.key), &found);
    if (found && toNumber(format) > kFormatVersion)
        return false;
    ini.setValue(section, key, value);

    return DurableFile::write(m_path, ini.toBytes());
}

bool AppSettings::write(const SettingsKeys::Key& key, const QString& value)
{
    return write(QString::fromUtf16(key.section), QString::fromUtf16(key.key), value);
}

bool AppSettings::writeNumber(const SettingsKeys::Key& key, int value)
{
    return write(key, QString::number(value));
}

int AppSettings::toNumber(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    const double cut = std::trunc(value);
    if (cut >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (cut <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(cut);
}

QColor AppSettings::toColour(int platformValue)
{
    const auto v = static_cast<quint32>(platformValue);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int AppSettings::fromColour(const QColor& colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}
