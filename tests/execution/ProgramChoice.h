#pragma once

#include <QObject>
#include <QSize>
#include <QStringList>
#include <QTimer>

// Plays the user at the next 选择执行程序 window that execute opens modally: notes what it offers, then
// clicks the named entry, or closes the window when the name is empty. It watches for the window instead of
// acting on a single zero-delay tick, because unpacking runs the event loop before the window appears.
class ProgramChoice : public QObject
{
    Q_OBJECT

public:
    explicit ProgramChoice(const QString& entry);

    bool seen = false;
    QString title;
    QString objectName;
    QSize size;
    bool toolWindow = false;
    QStringList offered;
    QSize listSize;

private:
    void look();

    QString m_entry;
    QTimer m_poll;
};
