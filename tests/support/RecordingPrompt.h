#pragma once

#include "ui/common/Prompt.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

// The test double of the prompt seam: answers from a script and records everything the program said.
// Installed for its lifetime. A question without a queued answer is a test fault: it is recorded as a
// problem and answered No/Cancel, so a forgotten answer never proceeds by accident. Messages count as expected
// once the test has looked at them (any of the accessors below); AppFixture fails a test that leaves one unread.
class RecordingPrompt : public Prompt::Backend
{
public:
    struct Message
    {
        Prompt::Form form;
        QString text;
        QString title;       // empty: the program's name
        QString informative; // the line under the text
        QString detailed;    // the part unfolded with 显示详细信息
    };

    RecordingPrompt();
    ~RecordingPrompt() override;

    void queueAnswer(Prompt::Answer answer);
    void queueOpenFile(const QString& path); // "" = the user cancels
    void queueSaveFile(const QString& path); // "" = the user cancels
    void queueFolder(const QString& path);   // "" = the user cancels

    QList<Prompt::FileDialog> fileDialogs; // every open and save dialog shown, as the program set it up
    QStringList shellOpened;
    QList<Prompt::Sound> sounds;
    QStringList problems; // unanswered questions and dialogs

    const QList<Message>& messages() const;
    QStringList texts() const;
    QString lastText() const;
    Prompt::Form lastForm() const;
    bool allAnswersUsed() const;
    // Messages shown since the test last looked, as "form: text" lines.
    QStringList unreadMessages() const;
    void clear();

    Prompt::Answer message(QWidget* parent, Prompt::Form form, const QString& text, const QString& title) override;
    Prompt::Answer detailedMessage(QWidget* parent, Prompt::Form form, const QString& text,
                                   const Prompt::Detail& detail) override;
    QString openFile(QWidget* parent, const Prompt::FileDialog& dialog) override;
    QString saveFile(QWidget* parent, const Prompt::FileDialog& dialog) override;
    QString browseFolder(QWidget* parent, const QString& title, const QString& startDir) override;
    void openWithShell(const QString& pathOrAddress) override;
    void play(Prompt::Sound sound) override;

private:
    Prompt::Answer record(const Message& message);

    QList<Message> m_messages;
    mutable qsizetype m_read = 0;
    Prompt::Backend* m_previous;
    QQueue<Prompt::Answer> m_answers;
    QQueue<QString> m_openFiles;
    QQueue<QString> m_saveFiles;
    QQueue<QString> m_folders;
};
