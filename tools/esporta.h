#pragma once
// "vinorda-dati esporta DIR vireg|csv --dal GG/MM/AAAA --al GG/MM/AAAA [--sezioni ...]
// [--data-carico GG/MM/AAAA] [--cartella OUT]": the registry file or the CSV files of a data
// folder for a period, exactly as the journal window writes them, without opening the program.
// It reads only: journal rows are never deleted here.
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "stock/esportazione.h"

namespace Esporta {

enum ExitCode { Ok = 0, Usage = 2, NotWritable = 4, Failed = 5 };

// args without the command word. The files written go to out, one per line; errors in Italian
// to err.
int run(const QStringList& args, QTextStream& out, QTextStream& err,
        const Orologio& orologio = orologioDiSistema());

}  // namespace Esporta

// Entry point for the tool's main: output on stdout/stderr.
int runEsporta(const QStringList& args);
