#include "platform/desktop.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>

void openDocument(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void openUrl(const QString& url) {
    openUrl(QUrl::fromUserInput(url));
}

void openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

QRect availableWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
