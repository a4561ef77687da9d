#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "datitool.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int rc = DatiTool::run(args, out, err);
    out.flush();
    err.flush();
    return rc;
}
