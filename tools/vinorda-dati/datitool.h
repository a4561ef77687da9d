#pragma once
// The data-folder tool: a new folder, a demo folder, a check, and large generated folders for
// measurements. The program itself reads no command line; this tool prepares what it reads.
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace DatiTool {

enum ExitCode {
    Ok = 0,
    Usage = 2,           // bad command line
    AlreadyPresent = 3,  // database.mdb exists and --forza was not given
    NotWritable = 4,     // the folder cannot be created or written
    Failed = 5,          // database error, or verifica found problems
    InUse = 6,           // another program has the database open
};

struct GenerateSizes {
    int clienti = 20000;
    int prodotti = 5000;
    int movimenti = 200000;
    int documenti = 0;
    int righe = 0;  // lines of each document; 0: from 1 to 10 at random
};

// Runs one command: args without the program name ("crea", DIR, options). Messages in Italian
// go to out (progress, report) and err (errors). Returns the exit code.
int run(const QStringList& args, QTextStream& out, QTextStream& err);

// The pieces, for tests and benchmarks. folder ends with "/". Each throws DatabaseError on a
// database error; the checks of the command line and of the folder are done by run().
void createBase(const QString& folder);  // database, fixed tables, templates, vinorda.ini
void fillDemo(const QString& folder);    // customers, products, documents, journal
void fillGenerated(const QString& folder, const GenerateSizes& sizes);
// Problems found (empty: all good); the report lines go to out.
QStringList verify(const QString& folder, QTextStream& out);

// Where the templates and the manual sources of a new folder come from.
QString sourceDataDir();

}  // namespace DatiTool
