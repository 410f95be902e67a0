#include "ui/common/Prompt.h"

#include "app/AppDir.h"
#include "ui/common/DesktopPromptBackend.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace Prompt {

namespace {

Backend* s_installed = nullptr;

Backend& desktop()
{
    static DesktopPromptBackend s_desktop;
    return s_desktop;
}

void restoreCurrentDirectory()
{
    QDir::setCurrent(AppDir::path());
}

} // namespace

Backend* setBackend(Backend* newBackend)
{
    Backend* previous = s_installed;
    s_installed = newBackend;
    return previous;
}

Backend& backend()
{
    return s_installed ? *s_installed : desktop();
}

void warning(QWidget* parent, const QString& text)
{
    backend().message(parent, Form::Warning, text, {});
}

void error(QWidget* parent, const QString& text)
{
    backend().message(parent, Form::Error, text, {});
}

void information(QWidget* parent, const QString& text, const QString& title)
{
    backend().message(parent, Form::Information, text, title);
}

void plain(QWidget* parent, const QString& text)
{
    backend().message(parent, Form::Plain, text, {});
}

bool question(QWidget* parent, const QString& text)
{
    return backend().message(parent, Form::Question, text, {}) == Answer::Yes;
}

bool question(QWidget* parent, const QString& text, const Detail& detail)
{
    return backend().detailedMessage(parent, Form::Question, text, detail) == Answer::Yes;
}

bool okCancel(QWidget* parent, const QString& text)
{
    return backend().message(parent, Form::OkCancel, text, {}) == Answer::Ok;
}

QString openFile(QWidget* parent, const FileDialog& dialog)
{
    const QString path = backend().openFile(parent, dialog);
    restoreCurrentDirectory();
    return path;
}

QString saveFile(QWidget* parent, const FileDialog& dialog)
{
    const QString path = backend().saveFile(parent, dialog);
    restoreCurrentDirectory();
    return path;
}

QString browseFolder(QWidget* parent, const QString& title, const QString& startDir)
{
    const QString path = backend().browseFolder(parent, title, startDir);
    restoreCurrentDirectory();
    return path;
}

void openWithShell(const QString& pathOrAddress)
{
    backend().openWithShell(pathOrAddress);
}

void play(Sound sound)
{
    backend().play(sound);
}

QString qtFilter(const QString& pipeFilter)
{
    // "描述|模式|描述|模式" pairs become "描述 (模式);;描述 (模式)". A label that already names its
    // pattern, in ASCII or full-width brackets, keeps only its text, so "项目文件包(*.zip)" is not shown as
    // "项目文件包(*.zip) (*.zip)" nor "备份文件（*.fd2）" as "备份文件（*.fd2） (*.fd2)"; a label that is its
    // own pattern ("*.*") is shown once.
    static const QRegularExpression namedPattern(u"\\s*[(（][^()（）]*[)）]$"_s);
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts.at(i);
        const bool ownPattern = label == parts.at(i + 1);
        QStringList patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts);
#ifndef Q_OS_WIN
        // "*.*" means every file on Windows; elsewhere it would hide every name without a dot, which is
        // most programs and scripts.
        for (QString& pattern : patterns) {
            if (pattern == u"*.*")
                pattern = u"*"_s;
        }
#endif
        const QString joined = patterns.join(u' ');
        if (ownPattern) {
            filters << joined;
            continue;
        }
        label.remove(namedPattern);
        filters << label + u" (" + joined + u')';
    }
    return filters.join(u";;");
}

} // namespace Prompt

void showDatabaseError(QWidget* parent)
{
    Prompt::error(parent, u"数据库操作失败！"_s);
}
