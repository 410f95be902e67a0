#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `act` on the modal window of type W once it shows. The code under test calls exec() after this is
// scheduled, so the window is polled for on a short timer; the poll ends with the answer, or with `context`
// when the window never came.
template <typename W>
void whenModal(std::function<void(W*)> act, QObject* context = qApp)
{
    auto* poll = new QTimer(context);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* window = qobject_cast<W*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(window);
        }
    });
    poll->start();
}

// The control of type T named `name` inside `window` (any of that type for an empty name); a missing one
// ends the test program, since every step after it would only fail less clearly.
template <typename T>
T* child(const QObject* window, const QString& name = {})
{
    T* found = window->findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}
