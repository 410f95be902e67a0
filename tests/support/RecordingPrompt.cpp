#include "RecordingPrompt.h"

RecordingPrompt::RecordingPrompt()
    : m_previous(Prompt::setBackend(this))
{
}

RecordingPrompt::~RecordingPrompt()
{
    Prompt::setBackend(m_previous);
}

void RecordingPrompt::queueAnswer(Prompt::Answer answer)
{
    m_answers.enqueue(answer);
}

void RecordingPrompt::queueOpenFile(const QString& path)
{
    m_openFiles.enqueue(path);
}

void RecordingPrompt::queueSaveFile(const QString& path)
{
    m_saveFiles.enqueue(path);
}

void RecordingPrompt::queueFolder(const QString& path)
{
    m_folders.enqueue(path);
}

const QList<RecordingPrompt::Message>& RecordingPrompt::messages() const
{
    m_read = m_messages.size();
    return m_messages;
}

QStringList RecordingPrompt::texts() const
{
    QStringList out;
    for (const Message& m : messages())
        out << m.text;
    return out;
}

QString RecordingPrompt::lastText() const
{
    return messages().isEmpty() ? QString() : m_messages.constLast().text;
}

Prompt::Form RecordingPrompt::lastForm() const
{
    return messages().isEmpty() ? Prompt::Form::Plain : m_messages.constLast().form;
}

QStringList RecordingPrompt::unreadMessages() const
{
    QStringList out;
    for (qsizetype i = m_read; i < m_messages.size(); ++i)
        out << QString::number(int(m_messages.at(i).form)) + u": " + m_messages.at(i).text;
    return out;
}

bool RecordingPrompt::allAnswersUsed() const
{
    return m_answers.isEmpty() && m_openFiles.isEmpty() && m_saveFiles.isEmpty() && m_folders.isEmpty();
}

void RecordingPrompt::clear()
{
    m_messages.clear();
    m_read = 0;
    shellOpened.clear();
    sounds.clear();
    problems.clear();
}

Prompt::Answer RecordingPrompt::message(QWidget*, Prompt::Form form, const QString& text, const QString& title)
{
    return record({form, text, title, {}, {}});
}

Prompt::Answer RecordingPrompt::detailedMessage(QWidget*, Prompt::Form form, const QString& text,
                                                const Prompt::Detail& detail)
{
    return record({form, text, {}, detail.informative, detail.detailed});
}

Prompt::Answer RecordingPrompt::record(const Message& message)
{
    const Prompt::Form form = message.form;
    const QString& text = message.text;
    m_messages.append(message);
    const bool asks = form == Prompt::Form::Question || form == Prompt::Form::OkCancel;
    if (!asks)
        return Prompt::Answer::Ok;
    if (m_answers.isEmpty()) {
        problems << QStringLiteral("unanswered question: ") + text;
        return form == Prompt::Form::Question ? Prompt::Answer::No : Prompt::Answer::Cancel;
    }
    return m_answers.dequeue();
}

QString RecordingPrompt::openFile(QWidget*, const Prompt::FileDialog& dialog)
{
    fileDialogs << dialog;
    if (m_openFiles.isEmpty()) {
        problems << QStringLiteral("unanswered open dialog: ") + dialog.title;
        return {};
    }
    return m_openFiles.dequeue();
}

QString RecordingPrompt::saveFile(QWidget*, const Prompt::FileDialog& dialog)
{
    fileDialogs << dialog;
    if (m_saveFiles.isEmpty()) {
        problems << QStringLiteral("unanswered save dialog: ") + dialog.title;
        return {};
    }
    return m_saveFiles.dequeue();
}

QString RecordingPrompt::browseFolder(QWidget*, const QString& title, const QString&)
{
    if (m_folders.isEmpty()) {
        problems << QStringLiteral("unanswered folder browser: ") + title;
        return {};
    }
    return m_folders.dequeue();
}

void RecordingPrompt::openWithShell(const QString& pathOrAddress)
{
    shellOpened << pathOrAddress;
}

void RecordingPrompt::play(Prompt::Sound sound)
{
    sounds << sound;
}
