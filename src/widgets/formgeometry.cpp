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

void restore(QWidget* window, const QString& section, const IniFile& ini) {
    QRect r;
    bool max = false;
    if (!ini.contains(section, key()) || !fromText(ini.value(section, key()), &r, &max)) return;
    bool visible = false;
    for (QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().intersects(r)) visible = true;
    if (visible) window->setGeometry(r);
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
