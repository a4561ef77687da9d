#pragma once
#include <QString>

// A folder written in the settings as the program uses it: "\" separators become "/", an empty
// text is the current directory, and a trailing separator is always added, so that
// folder + "database.mdb" is a path inside the folder.
QString normalizeFolder(const QString& folder);
