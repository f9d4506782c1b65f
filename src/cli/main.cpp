#include "cli/cli.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <unistd.h>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Diagrams are drawn without any window: the offscreen platform works on a server that has
    // no display, and only the commands that draw pay for a graphical application.
    std::unique_ptr<QCoreApplication> app;
    if (vexil::CliNeedsGui(arguments)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("vexil-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const int code = vexil::RunCli(arguments, out, err, isatty(fileno(stderr)) != 0);
    out.flush();
    err.flush();
    return code;
}
