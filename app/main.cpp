// vexel: finds the smallest archive of the files it is given.
#include "app/BatchMode.h"
#include "config/KryOpr.h"
#include "mainwnd/KryMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Batch mode, --help and --version need no display: decided before the window exists.
    if (vexel::isCommandLineMode(argc, argv))
        return vexel::runCommandLineMode(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexel"));
    QApplication::setOrganizationName(QStringLiteral("Korvane Club"));

    // Which archivers are present is looked up once per start.
    const vexel::ArchiverAvailability availability = vexel::DiscoverArchivers();
    vexel::KryMain window(QApplication::arguments().mid(1), availability);
    window.show();
    return app.exec();
}
