// vinorda-stampa DIR TEMPLATE FILE.pdf [--documento NUMERO]
#include <QGuiApplication>

#include "common/format.h"
#include "stampa.h"

int main(int argc, char* argv[]) {
    // Text layout needs fonts, not a screen.
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    installItalianLocale();
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return runStampa(args);
}
