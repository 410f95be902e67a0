#pragma once

#include "app/SettingsKeys.h"

#include <QColor>
#include <QString>

// Install.ini beside the executable. Nothing is cached: every read reads the file again and every write
// goes straight to it, replacing the file atomically and keeping all other lines as they were.
class AppSettings
{
public:
    AppSettings(); // AppDir + "/Install.ini"
    explicit AppSettings(const QString& filePath);

    QString filePath() const { return m_path; }

    // The stored text, or the default when the file, the section or the key is absent.
    QString read(const SettingsKeys::Key& key, const QString& defaultValue = {}) const;
    QString read(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    bool contains(const SettingsKeys::Key& key) const;
    int readNumber(const SettingsKeys::Key& key, const QString& defaultValue = {}) const;
    bool readFlag(const SettingsKeys::Key& key) const; // only "1" is on
    // A limit of at least 1: the key's default when it is absent, not a number, or below 1 (a limit of none
    // would throw away everything it guards).
    int readLimit(const SettingsKeys::Key& key) const;
    QColor readColour(const SettingsKeys::Key& key, const QString& defaultValue) const;

    // The kFormat this program writes. Format 1 is the first, so no older file needs bringing up to date.
    static constexpr int kFormatVersion = 1;
    // Written by a later program (kFormat above kFormatVersion): never written to, as its keys may mean otherwise.
    bool isFromNewerProgram() const;

    bool write(const SettingsKeys::Key& key, const QString& value);
    bool write(const QString& section, const QString& key, const QString& value);
    bool writeNumber(const SettingsKeys::Key& key, int value);
    bool writeFlag(const SettingsKeys::Key& key, bool on); // "1" or "0"

    // Empty or non-numeric text is 0; a fraction is cut towards zero.
    static int toNumber(const QString& text);
    static QColor toColour(int platformValue);
    static int fromColour(const QColor& colour);

private:
    QString m_path;
};

// The product name, one blank and the credit line: the default caption and status-bar part 0.
QString defaultTitle();
