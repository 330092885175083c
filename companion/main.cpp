#include "companion/cli.h"

#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    // Under a limit on file sizes a write past it fails and is reported, instead of ending the
    // program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessaline-verses"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    Companion::RunSettings settings;
    settings.progress = isatty(fileno(stdout));
    const int status = Companion::run(QCoreApplication::arguments(), out, err, settings);
    out.flush();
    err.flush();
    return status;
}
