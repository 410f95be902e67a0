#pragma once

#include <QObject>

// When the system ends the program (logout, shutdown, `kill`), it should end the way a closed main window
// does, so that nothing the window writes at its end is lost. On POSIX systems SIGTERM, SIGHUP and SIGINT
// are turned into a signal on the GUI thread; elsewhere the platform closes the windows itself.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    void drain();
};
