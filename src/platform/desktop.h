#pragma once
// The desktop's own facilities: open a file or a web address with the user's default program,
// and the work area of the primary screen.
#include <QRect>
#include <QString>
#include <QUrl>

// Opens a local file (e.g. the manual) with its default program. Nothing is checked and
// nothing is reported when it fails.
void openDocument(const QString& path);

// Opens a web address ("www.example.it", "https://...", "mailto:...") in the default program.
// Nothing is checked and nothing is reported when it fails.
void openUrl(const QString& url);
void openUrl(const QUrl& url);

// The primary screen's available geometry (without task bars and panels); an empty rect when
// there is no screen.
QRect availableWorkArea();
