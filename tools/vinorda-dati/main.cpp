#include <QGuiApplication>
#include <QTextStream>

#include "common/format.h"
#include "copie.h"
#include "datitool.h"
#include "esporta.h"
#include "stampa.h"

int main(int argc, char* argv[]) {
    // The print command measures text, which needs fonts but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installItalianLocale();
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (!args.isEmpty() && args.first() == QLatin1String("stampa")) return runStampa(args.mid(1));
    if (!args.isEmpty() && args.first() == QLatin1String("esporta")) return runEsporta(args.mid(1));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int rc = !args.isEmpty() && CopieTool::handles(args.first())
                       ? CopieTool::run(args, out, err)
                       : DatiTool::run(args, out, err);
    out.flush();
    err.flush();
    return rc;
}
