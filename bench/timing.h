#pragma once
// The best of a few runs, in milliseconds: the figure least disturbed by the rest of the machine.
#include <QElapsedTimer>
#include <algorithm>

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
