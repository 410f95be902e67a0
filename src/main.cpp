#include "app/AppDir.h"
#include "app/InstanceLock.h"
#include "app/StartRecovery.h"
#include "app/ui/LoginWindow.h"
#include "app/ui/ProgramRun.h"
#include "backup/ui/BackupWindow.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Tallyra"_s);

    // Every record table is opened by a path relative to the folder of the executable.
    AppDir::set(QCoreApplication::applicationDirPath());
    QDir::setCurrent(AppDir::path());

    // Qt's own dialogs (files, colours, folders) speak Chinese like the rest of the program.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), u"qtbase"_s, u"_"_s,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    // Held until the process ends: a second run on the same tables would act on record numbers this one
    // changes.
    const InstanceLock lock(AppDir::path());
    if (!ProgramRun::mayRun(lock))
        return 0;

    // Only the run that holds the folder may finish or undo what an earlier run left half done.
    const StartRecovery::Outcome recovered = StartRecovery::run();
    BackupWindow::tellInterruptedRestore(nullptr, recovered.restore);
    if (!ProgramRun::mayOpenData(recovered.data))
        return 0;

    // Nobody gets past this point without the login password; 取消 ends the program before anything is written.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!LoginWindow::login())
        return 0;
    QApplication::setQuitOnLastWindowClosed(true);

    return ProgramRun::runMainWindow();
}
