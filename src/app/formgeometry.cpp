#include "app/formgeometry.h"

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

void restore(QWidget* window, const QString& key, const QString& path) {
    IniFile ini;
    if (!ini.load(path) || !ini.contains(section(), key)) return;
    QRect r;
    bool max = false;
    if (!fromText(ini.value(section(), key), &r, &max)) return;
    bool visible = false;
    for (QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().intersects(r)) visible = true;
    if (!visible) return;
    window->setGeometry(r);
}

void save(const QWidget* window, const QString& key, const QString& path) {
    const QRect r = window->isMaximized() || window->isMinimized() ? window->normalGeometry()
                                                                     : window->geometry();
    saveRect(r, window->isMaximized(), key, path);
}

void saveRect(const QRect& r, bool maximized, const QString& key, const QString& path) {
    IniFile ini;
    if (!r.isValid() || !ini.load(path)) return;
    ini.setValue(section(), key, toText(r, maximized));
    ini.saveAs(path);
}

}  // namespace FormGeometry
