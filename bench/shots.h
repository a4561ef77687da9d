#pragma once
// What the picture programs share: their command line (OUTDIR [WIDTHxHEIGHT [ZOOM]]) and the
// saving of one window's picture.
#include <QCoreApplication>
#include <QDir>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

struct ShotArgs {
    QString out;   // folder of the pictures, made when missing
    QSize screen;  // the screen size to check against
    int zoom = 100;
};

inline ShotArgs shotArgs(int argc, char** argv) {
    ShotArgs a;
    a.out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QStringList size =
        (argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("1280x800")).split(u'x');
    a.screen = QSize(size.value(0).toInt(), size.value(1).toInt());
    a.zoom = argc > 3 ? std::atoi(argv[3]) : 100;
    QDir().mkpath(a.out);
    return a;
}

// The window at its own size, never larger than the screen less a title bar and a task bar.
inline void fitShot(QWidget& w, QSize screen) {
    w.resize(w.size().boundedTo(screen - QSize(20, 60)));
}

// The window once its pending paints are done, with its size and the smallest size its layout
// allows.
inline void saveShot(QWidget& w, const QString& file) {
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    w.grab().save(file);
    std::printf("%s %dx%d (minimum %dx%d)\n", qPrintable(file), w.width(), w.height(),
                w.minimumSizeHint().width(), w.minimumSizeHint().height());
}
