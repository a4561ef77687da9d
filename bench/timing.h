#pragma once
// The best of a few runs, in milliseconds: the figure least disturbed by the rest of the machine.
#include <QElapsedTimer>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <vector>

template <typename F>
double bestMs(F&& f, int reps = 5) {
    double best = 1e99;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// The median of a few runs, in milliseconds.
template <typename F>
double medianMs(int runs, F&& f) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer e;
        e.start();
        f();
        t.push_back(e.nsecsElapsed() / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// One line: the figure, its aim, the reference measured in the same run and their ratio.
inline void reportFigure(QTextStream& out, const char* what, double value, double aim,
                         const char* ref, double reference) {
    out << QStringLiteral("%1: %2 ms (aim < %3 ms); reference, %4: %5 ms; ratio %6\n")
               .arg(QString::fromUtf8(what))
               .arg(value, 0, 'f', 2)
               .arg(aim)
               .arg(QString::fromUtf8(ref))
               .arg(reference, 0, 'f', 2)
               .arg(value / reference, 0, 'f', 1);
    out.flush();
}
