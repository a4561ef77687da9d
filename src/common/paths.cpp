#include "paths.h"

#include <QDir>

QString normalizeFolder(const QString& folder) {
    QString f = folder.trimmed();
    f.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (f.isEmpty()) f = QDir::currentPath();
    if (!f.endsWith(QLatin1Char('/'))) f += QLatin1Char('/');
    return f;
}
