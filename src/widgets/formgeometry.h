#pragma once
// form.ini: where five windows were and how big they were. Each window has its own section
// ("Main", "Anagrafiche", "Listino", "Fatture", "Giornale") with the key "Geometria" =
// "x,y,width,height" plus ",max" when maximised. One IniFile object, shared by the main window
// and the windows it creates, so that no window's save drops another's.
#include <QRect>
#include <QString>

class IniFile;
class QWidget;

namespace FormGeometry {
inline QString key() {
    return QStringLiteral("Geometria");
}
QString toText(const QRect& normal, bool maximized);
// False when text is not four whole numbers with a positive size.
bool fromText(const QString& text, QRect* normal, bool* maximized);

// The place moved and shrunk as little as needed to lie wholly inside the work area (a place
// kept from a larger screen, or from a screen no longer attached, comes back into view).
QRect fitted(const QRect& place, const QRect& workArea);
// The work area of the screen the place lies mostly on (the primary screen when none).
QRect workAreaFor(const QRect& place);
// The window's present place fitted to its screen (a window larger than the screen).
void fitToScreen(QWidget* window);

// Restores a window's place, fitted to the screen; nothing happens when the section is absent
// or unreadable.
void restore(QWidget* window, const QString& section, const IniFile& ini);
// Records a place and saves the file; failures are ignored.
void saveRect(const QRect& normal, bool maximized, const QString& section, IniFile& ini);
// Records where a window is now and saves the file.
void save(const QWidget* window, const QString& section, IniFile& ini);
}  // namespace FormGeometry
