#include "TempAppDir.h"

#include "app/AppDir.h"
#include "store/DataInstaller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempAppDir::TempAppDir(bool installTables)
    : m_previousCurrent(QDir::currentPath())
    , m_previousAppDir(AppDir::path())
{
    AppDir::set(m_dir.path());
    QDir::setCurrent(m_dir.path());
    if (installTables)
        installMissingData(m_dir.path());
}

TempAppDir::~TempAppDir()
{
    QDir::setCurrent(m_previousCurrent);
    AppDir::set(m_previousAppDir);
}

QString TempAppDir::writeFile(const QString& relative, const QByteArray& bytes) const
{
    const QString path = filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QByteArray TempAppDir::readFile(const QString& relative) const
{
    QFile f(filePath(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
