#pragma once
// form.ini: where five windows were and how big they were, one key each ("Main", "Anagrafiche",
// "Listino", "Fatture", "Giornale"), as "x,y,width,height" plus ",max" when maximised.
#include <QRect>
#include <QString>

class QWidget;

namespace FormGeometry {
inline QString section() { return QStringLiteral("Finestre"); }
QString toText(const QRect& normal, bool maximized);
// False when text is not four whole numbers with a positive size.
bool fromText(const QString& text, QRect* normal, bool* maximized);

// Restores a window's place from path; nothing happens when the key is absent or unreadable,
// or when the place would lie off every screen.
void restore(QWidget* window, const QString& key, const QString& path);
// Stores the window's normal (not maximised) place; failures are ignored.
void save(const QWidget* window, const QString& key, const QString& path);
void saveRect(const QRect& normal, bool maximized, const QString& key, const QString& path);
}  // namespace FormGeometry
