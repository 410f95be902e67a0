// Lays out the data folder of an installation: tallyra-install-data APPDIR
// Creates only the tables that are missing; an existing file is never overwritten.

#include "store/DataInstaller.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // The type icons are painted, which needs a GUI application, but a build machine has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 2) {
        err << "用法：tallyra-install-data 程序目录\n";
        return 2;
    }
    if (!installMissingData(arguments.at(1))) {
        err << "无法在 " << arguments.at(1) << " 中建立数据文件夹。\n";
        return 1;
    }
    return 0;
}
