// Start-up work to the main window, the 2 s splash left out: settings, maintenance, connection,
// default VAT rate, Intestazione, the main window and every window built so far.
// app_startup [RUNS]: builds a demo folder and a folder of 20,000 customers, 5,000 products and
// 200,000 journal rows in a temporary directory and prints the times (median of RUNS).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/mainform.h"
#include "common/format.h"
#include "data/shareddata.h"
#include "datitool.h"

namespace {
struct Times {
    double create = 0;   // FormCreate: ini, maintenance, open, VAT, Intestazione
    double windows = 0;  // the other windows
};

Times once(const QString& folder) {
    QDir::setCurrent(folder);
    Times t;
    QElapsedTimer timer;
    timer.start();
    Database db;
    SharedData shared(db);
    TMainForm form(db, shared);
    form.FormCreate();
    t.create = timer.nsecsElapsed() / 1e6;
    timer.restart();
    form.createWindows();
    t.windows = timer.nsecsElapsed() / 1e6;
    form.close();
    return t;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void measure(const QString& name, const QString& folder, int runs, QTextStream& out,
             bool heldElsewhere = false) {
    // With the marker held by someone else the maintenance is skipped: the rest of the work.
    LockMarker other(folder + Database::lockName());
    if (heldElsewhere) other.acquire();
    std::vector<double> c, w, all;
    for (int i = 0; i < runs; ++i) {
        const Times t = once(folder);
        c.push_back(t.create);
        w.push_back(t.windows);
        all.push_back(t.create + t.windows);
    }
    out << QStringLiteral("%1: FormCreate %2 ms, finestre %3 ms, totale %4 ms (mediana di %5)\n")
               .arg(name, -24)
               .arg(median(c), 0, 'f', 1)
               .arg(median(w), 0, 'f', 1)
               .arg(median(all), 0, 'f', 1)
               .arg(runs);
    out.flush();
}
}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    installItalianLocale();
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString demo = dir.filePath(QStringLiteral("demo")) + QLatin1Char('/');
    const QString big = dir.filePath(QStringLiteral("grande")) + QLatin1Char('/');
    QTextStream quiet(stderr);
    QElapsedTimer gen;
    if (DatiTool::run({QStringLiteral("demo"), demo}, quiet, quiet) != 0) return 1;
    gen.start();
    if (DatiTool::run({QStringLiteral("genera"), big}, quiet, quiet) != 0) return 1;
    out << QStringLiteral("genera (20.000 clienti, 5.000 prodotti, 200.000 movimenti): %1 ms\n")
               .arg(gen.elapsed());
    measure(QStringLiteral("demo"), demo, runs, out);
    measure(QStringLiteral("grande"), big, runs, out);
    measure(QStringLiteral("demo, in uso altrove"), demo, runs, out, true);
    measure(QStringLiteral("grande, in uso altrove"), big, runs, out, true);
    return 0;
}
