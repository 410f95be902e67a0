#include "ui/common/DesktopPromptBackend.h"

#include "archive/NativeName.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#ifdef Q_OS_WIN
#include "platform/WaveSound.h"

#include <QFile>
#else
#include <QSoundEffect>
#endif

using namespace Qt::StringLiterals;

namespace {

QString programName()
{
    return u"Tallyra"_s;
}

} // namespace

QUrl DesktopPromptBackend::urlFor(const QString& pathOrAddress)
{
#ifndef Q_OS_WIN
    if (NativeFs::hasStrayBytes(pathOrAddress)) {
        const QByteArray bytes = NativeFs::encodeName(QFileInfo(pathOrAddress).absoluteFilePath());
        return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"));
    }
#endif
    const QUrl asUrl(pathOrAddress, QUrl::StrictMode);
    if (asUrl.isValid() && asUrl.scheme().size() > 1 && !QFileInfo::exists(pathOrAddress))
        return asUrl;
    return QUrl::fromLocalFile(QFileInfo(pathOrAddress).absoluteFilePath());
}

namespace {

QString soundResource(Prompt::Sound sound)
{
    return sound == Prompt::Sound::Click ? u":/sounds/click.wav"_s : u":/sounds/delete.wav"_s;
}

#ifdef Q_OS_WIN
QByteArray readSound(Prompt::Sound sound)
{
    QFile file(soundResource(sound));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
#endif

} // namespace

DesktopPromptBackend::DesktopPromptBackend() = default;
DesktopPromptBackend::~DesktopPromptBackend() = default;

Prompt::Answer DesktopPromptBackend::message(QWidget* parent, Prompt::Form form, const QString& text,
                                             const QString& title)
{
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? programName() : title);
    box.setText(text);
    // Button texts are set here so that message boxes speak Chinese even without Qt's translations.
    switch (form) {
    case Prompt::Form::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Prompt::Form::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Prompt::Form::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Prompt::Form::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Prompt::Form::Question: {
        box.setIcon(QMessageBox::Question);
        QPushButton* yes = box.addButton(u"是(&Y)"_s, QMessageBox::YesRole);
        QPushButton* no = box.addButton(u"否(&N)"_s, QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? Prompt::Answer::Yes : Prompt::Answer::No;
    }
    case Prompt::Form::OkCancel: {
        box.setIcon(QMessageBox::Question);
        QPushButton* ok = box.addButton(u"确定"_s, QMessageBox::AcceptRole);
        QPushButton* cancel = box.addButton(u"取消"_s, QMessageBox::RejectRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == ok ? Prompt::Answer::Ok : Prompt::Answer::Cancel;
    }
    }
    QPushButton* ok = box.addButton(u"确定"_s, QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return Prompt::Answer::Ok;
}

QString DesktopPromptBackend::openFile(QWidget* parent, const Prompt::FileDialog& dialog)
{
    QFileDialog fd(parent, dialog.title, dialog.initialPath, Prompt::qtFilter(dialog.filter));
    fd.setAcceptMode(QFileDialog::AcceptOpen);
    fd.setFileMode(QFileDialog::ExistingFile);
    fd.setDefaultSuffix(dialog.defaultSuffix);
    if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty())
        return {};
    return fd.selectedFiles().constFirst();
}

QString DesktopPromptBackend::saveFile(QWidget* parent, const Prompt::FileDialog& dialog)
{
    QFileDialog fd(parent, dialog.title, dialog.initialPath, Prompt::qtFilter(dialog.filter));
    fd.setAcceptMode(QFileDialog::AcceptSave);
    fd.setFileMode(QFileDialog::AnyFile);
    fd.setDefaultSuffix(dialog.defaultSuffix);
    if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty())
        return {};
    return fd.selectedFiles().constFirst();
}

QString DesktopPromptBackend::browseFolder(QWidget* parent, const QString& title, const QString& startDir)
{
    return QFileDialog::getExistingDirectory(parent, title, startDir);
}

void DesktopPromptBackend::openWithShell(const QString& pathOrAddress)
{
    // The shell's answer is ignored: a missing file or a type without a program simply opens nothing.
    QDesktopServices::openUrl(urlFor(pathOrAddress));
}

#ifdef Q_OS_WIN

void DesktopPromptBackend::play(Prompt::Sound sound)
{
    // PlaySound reads the WAV from memory while it plays, also while the program ends, so the bytes are never
    // freed; stopping the sound at exit instead would wait for the system's sound thread there.
    static const QByteArray* const click = new QByteArray(readSound(Prompt::Sound::Click));
    static const QByteArray* const remove = new QByteArray(readSound(Prompt::Sound::Delete));
    // Without an audio device the system declines, and the program goes on silently.
    WaveSound::play(sound == Prompt::Sound::Click ? *click : *remove);
}

#else

QSoundEffect* DesktopPromptBackend::effect(Prompt::Sound sound)
{
    // Made on first use: a machine without an audio device then costs nothing until a sound is asked for,
    // and QSoundEffect stays silent there instead of blocking. The application owns the effects, so they go
    // with it, before the multimedia library tears down its sample cache at exit.
    QPointer<QSoundEffect>& slot = sound == Prompt::Sound::Click ? m_click : m_delete;
    if (!slot) {
        slot = new QSoundEffect(QCoreApplication::instance());
        slot->setSource(QUrl(u"qrc"_s + soundResource(sound)));
        slot->setVolume(0.6f);
    }
    return slot.data();
}

void DesktopPromptBackend::play(Prompt::Sound sound)
{
    QSoundEffect* e = effect(sound);
    if (e->isPlaying())
        e->stop();
    e->play();
}

#endif
