#include "widgets/formgeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include "common/inifile.h"

namespace FormGeometry {

QString toText(const QRect& r, bool maximized) {
    QString t = QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    if (maximized) t += QStringLiteral(",max");
    return t;
}

bool fromText(const QString& text, QRect* normal, bool* maximized) {
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.size() < 4 || parts.size() > 5) return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) return false;
    }
    if (v[2] <= 0 || v[3] <= 0) return false;
    if (parts.size() == 5 && parts[4].trimmed() != QLatin1String("max")) return false;
    *normal = QRect(v[0], v[1], v[2], v[3]);
    *maximized = parts.size() == 5;
    return true;
}

QRect fitted(const QRect& place, const QRect& workArea) {
    if (!workArea.isValid()) return place;
    QRect r(place.topLeft(), place.size().boundedTo(workArea.size()));
    if (r.right() > workArea.right()) r.moveRight(workArea.right());
    if (r.bottom() > workArea.bottom()) r.moveBottom(workArea.bottom());
    if (r.left() < workArea.left()) r.moveLeft(workArea.left());
    if (r.top() < workArea.top()) r.moveTop(workArea.top());
    return r;
}

QRect workAreaFor(const QRect& place) {
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect common = s->availableGeometry().intersected(place);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = s;
        }
    }
    if (!best) best = QGuiApplication::primaryScreen();
    return best ? best->availableGeometry() : QRect();
}

void fitToScreen(QWidget* window) {
    const QRect r = window->geometry();
    const QRect area = workAreaFor(r);
    const QRect f = fitted(r, area);
    if (f != r) window->setGeometry(f);
}

void restore(QWidget* window, const QString& section, const IniFile& ini) {
    QRect r;
    bool max = false;
    if (!ini.contains(section, key()) || !fromText(ini.value(section, key()), &r, &max)) return;
    window->setGeometry(fitted(r, workAreaFor(r)));
}

void saveRect(const QRect& r, bool maximized, const QString& section, IniFile& ini) {
    if (!r.isValid()) return;
    ini.setValue(section, key(), toText(r, maximized));
    if (!ini.path().isEmpty()) ini.save();
}

void save(const QWidget* window, const QString& section, IniFile& ini) {
    saveRect(window->isMinimized() || window->isMaximized() ? window->normalGeometry()
                                                            : window->geometry(),
             window->isMaximized(), section, ini);
}

}  // namespace FormGeometry
