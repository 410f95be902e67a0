#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh application folder for one test: the installed tables in data/, appDir and the current directory
// pointing at it. Everything is removed and the previous current directory restored afterwards.
class TempAppDir
{
public:
    explicit TempAppDir(bool installTables = true);
    ~TempAppDir();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& relative) const { return m_dir.filePath(relative); }

    // Writes a file (creating its folders) and answers its full path.
    QString writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QString m_previousCurrent;
    QString m_previousAppDir;
};
