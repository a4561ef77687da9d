#pragma once
// The schema's version (PRAGMA user_version) and the ordered steps that bring an older database
// to the version this program writes. Version 0 is the original file: the ten tables and the
// stored queries, nothing else. The original tables keep their exact columns; what the program
// adds beyond them (indexes, tables of its own) comes through these steps.
//
// To add a step: append a Migration to the list in migrations.cpp with the next version number
// and its statements. Each step runs in one transaction together with the new user_version, so
// a database is always at one version or the next, never in between. A new database runs the
// same steps when it is created.
#include <QString>
#include <QStringList>
#include <QVector>

class Database;

struct Migration {
    int version;          // the user_version once the step has run (1, 2, ...)
    QString description;  // what it does, for the reader
    QStringList statements;
};

namespace Migrations {
const QVector<Migration>& all();
// The version this program writes: the last step's.
int currentVersion();

// user_version of the open database.
int versionOf(Database& db);
// user_version of a file, read without writing anything (-1 when it cannot be read).
int versionOfFile(const QString& path);

// "   Il database ... è stato scritto da una versione più recente del programma ...   "
QString msgNewerDatabase(const QString& path, int version);
// Throws DatabaseError with msgNewerDatabase when the file was written by a newer program.
// Reads only: such a file is left exactly as it is.
void refuseNewer(const QString& path);

// Runs the missing steps on the open database, each in its own transaction. Throws
// DatabaseError (msgNewerDatabase) for a newer database, which is left untouched, and the
// engine's error when a step fails (that step is rolled back, the earlier ones stay).
// Returns the number of steps run.
int upgrade(Database& db);
}  // namespace Migrations
