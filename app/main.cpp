// vexel: finds the smallest archive of the files it is given.
#include "app/BatchMode.h"
#include "config/KryOpr.h"
#include "mainwnd/KryMain.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char *argv[])
{
    // Batch mode, --help and --version need no display: decided before the window exists.
    if (vexel::isCommandLineMode(argc, argv))
        return vexel::runCommandLineMode(argc, argv);

    QApplication app(argc, argv); // takes Qt's own options out of argv
    QApplication::setApplicationName(QStringLiteral("Vexel"));
    QApplication::setOrganizationName(QStringLiteral("Korvane Club"));

    // The names as the system gave their bytes: QApplication::arguments() would replace
    // bytes that are not UTF-8, and the archive would then miss the file.
    const std::vector<std::string> names(argv + 1, argv + argc);
    // Which archivers are present is looked up once per start.
    const vexel::ArchiverAvailability availability = vexel::DiscoverArchivers();
    vexel::KryMain window(names, availability);
    window.show();
    return app.exec();
}
