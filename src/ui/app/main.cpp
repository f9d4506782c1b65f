#include "app/idgr.h"
#include "app/program.h"
#include "verify/scratchfolders.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexil"));
    QApplication::setOrganizationName(QStringLiteral("Vexil"));

    // What a killed Vexil left in the temporary folder goes now; a running one keeps its own.
    vexil::RemoveStaleVerifyFolders(QDir::tempPath());
    vexil::Program program(QDir::currentPath());
    program.main().show();
    // A collection handed over by a file manager opens as if chosen in the open dialog.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        program.main().openNamedCollection(arguments.at(1));
    return app.exec();
}
