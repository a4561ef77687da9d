#pragma once
// "vinorda-dati stampa DIR TEMPLATE FILE.pdf [--documento NUMERO]": renders a template of a data
// folder against that folder's data to a PDF file, for template authors and automation.
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace Stampa {

enum ExitCode { Ok = 0, Usage = 2, Failed = 5 };

// args: DIR TEMPLATE FILE.pdf [--documento NUMERO] (without the command word). Errors in
// Italian go to err.
int run(const QStringList& args, QTextStream& out, QTextStream& err);

// The title the program passes for a template name; the name itself for an unknown one.
QString titleFor(const QString& templateName);
// Every template name the program uses.
QStringList templateNames();

}  // namespace Stampa

// Entry point for the tool's main: args as for Stampa::run, output on stdout/stderr.
int runStampa(const QStringList& args);
