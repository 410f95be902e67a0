#pragma once

#include "ui/common/Prompt.h"

#ifndef Q_OS_WIN
#include <QPointer>
#include <QSoundEffect>
#endif
#include <QUrl>

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

    // What openWithShell hands the desktop: a web address as it is, a path as a file URL. A name the disk holds
    // in bytes that are not UTF-8 (NativeFs's stray-byte form) reaches the desktop as those bytes, percent-encoded.
    static QUrl urlFor(const QString& pathOrAddress);

private:
#ifndef Q_OS_WIN
    QSoundEffect* effect(Prompt::Sound sound);

    QPointer<QSoundEffect> m_click;
    QPointer<QSoundEffect> m_delete;
#endif
};
