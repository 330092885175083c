#include "companion/cli.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
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
