#pragma once

#include <QString>

class QWidget;

// The one door through which the program talks to the user outside its own windows: message boxes, file
// dialogs, the folder browser, the shell and sounds. The program runs on DesktopPromptBackend; tests install a
// recording double that answers from a script, so no test ever shows a real modal box.
namespace Prompt {

enum class Form {
    Warning,     // exclamation icon, OK
    Error,       // stop icon, OK
    Information, // information icon, OK
    Question,    // question icon, Yes/No, No the default
    OkCancel,    // question icon, OK/Cancel, OK the default
    Plain        // no icon, OK
};

enum class Answer { Ok, Cancel, Yes, No };

enum class Sound { Click, Delete };

// What a message says besides its text: one line under it, and a part the user unfolds with 显示详细信息.
struct Detail
{
    QString informative;
    QString detailed;
};

struct FileDialog
{
    QString title;
    QString filter;        // in the program's "描述|*.ext|描述|*.ext" form
    QString defaultSuffix; // without the dot
    QString initialPath;
};

class Backend
{
public:
    virtual ~Backend() = default;
    // An empty title stands for the program's name.
    virtual Answer message(QWidget* parent, Form form, const QString& text, const QString& title) = 0;
    // The same with a line under the text and a part to unfold; a backend without room for them shows the text.
    virtual Answer detailedMessage(QWidget* parent, Form form, const QString& text, const Detail& detail)
    {
        (void)detail;
        return message(parent, form, text, {});
    }
    // Both answer the chosen path, or an empty text when the user cancelled.
    virtual QString openFile(QWidget* parent, const FileDialog& dialog) = 0;
    virtual QString saveFile(QWidget* parent, const FileDialog& dialog) = 0;
    virtual QString browseFolder(QWidget* parent, const QString& title, const QString& startDir) = 0;
    virtual void openWithShell(const QString& pathOrAddress) = 0;
    virtual void play(Sound sound) = 0;
};

// Installs a backend for the whole process and answers the previous one; nullptr restores the desktop.
Backend* setBackend(Backend* backend);
Backend& backend();

void warning(QWidget* parent, const QString& text);
void error(QWidget* parent, const QString& text);
void information(QWidget* parent, const QString& text, const QString& title = {});
void plain(QWidget* parent, const QString& text);
bool question(QWidget* parent, const QString& text); // true only for Yes
bool question(QWidget* parent, const QString& text, const Detail& detail);
bool okCancel(QWidget* parent, const QString& text); // true only for OK

// File dialogs restore the current directory to appDir afterwards, whether confirmed or cancelled,
// because every record table is opened by a path relative to it.
QString openFile(QWidget* parent, const FileDialog& dialog);
QString saveFile(QWidget* parent, const FileDialog& dialog);
QString browseFolder(QWidget* parent, const QString& title, const QString& startDir = {});

void openWithShell(const QString& pathOrAddress);
void play(Sound sound);

// A "项目文件包(*.zip)|*.zip|*.*|*.*" filter in Qt's form.
QString qtFilter(const QString& pipeFilter);

} // namespace Prompt

// The error "数据库操作失败！", shown after a failed table open by the commands that test it.
void showDatabaseError(QWidget* parent);
