#pragma once

#include <QByteArray>
#include <QString>

// Makes a folder read-only for the test process alone, by bind-mounting it over itself read-only inside a
// private mount namespace. Tests run as root, and root ignores permission bits, so this is the way to show
// what a read-only medium does to the program. Needs the namespace to be entered before any thread exists.
class ReadOnlyMount
{
public:
    // Call first thing in main(). Answers false where the process may not make mounts (then tests skip).
    static bool enterPrivateNamespace();
    static bool available();
    static const char* unavailableReason();

    explicit ReadOnlyMount(const QString& folder);
    ~ReadOnlyMount();
    ReadOnlyMount(const ReadOnlyMount&) = delete;
    ReadOnlyMount& operator=(const ReadOnlyMount&) = delete;

    bool isActive() const { return m_active; }

private:
    QByteArray m_path;
    bool m_active = false;
};

// QTEST_MAIN for test programs with read-only cases: the namespace is entered before QApplication starts.
#define TALLYRA_TEST_MAIN_WITH_MOUNTS(TestObject)                                                                      \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        ReadOnlyMount::enterPrivateNamespace();                                                                        \
        QApplication app(argc, argv);                                                                                  \
        TestObject test;                                                                                               \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
