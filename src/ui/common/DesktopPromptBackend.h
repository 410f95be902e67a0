#pragma once

#include "ui/common/Prompt.h"

#ifndef Q_OS_WIN
#include <QPointer>
#include <QSoundEffect>
#endif

// The real message boxes, dialogs, shell and sound output.
class DesktopPromptBackend final : public Prompt::Backend
{
public:
    DesktopPromptBackend();
    ~DesktopPromptBackend() override;

    Prompt::Answer message(QWidget* parent, Prompt::Form form, const QString& text, const QString& title) override;
    QString openFile(QWidget* parent, const Prompt::FileDialog& dialog) override;
    QString saveFile(QWidget* parent, const Prompt::FileDialog& dialog) override;
    QString browseFolder(QWidget* parent, const QString& title, const QString& startDir) override;
    void openWithShell(const QString& pathOrAddress) override;
    void play(Prompt::Sound sound) override;

private:
#ifndef Q_OS_WIN
    QSoundEffect* effect(Prompt::Sound sound);

    QPointer<QSoundEffect> m_click;
    QPointer<QSoundEffect> m_delete;
#endif
};
