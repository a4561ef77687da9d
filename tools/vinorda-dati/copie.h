#pragma once
// The copies of a data folder's database, by hand: "backup" writes a checked copy now,
// "ripristina" puts a chosen copy back while no program has the database open.
#include <QStringList>
#include <QTextStream>

namespace CopieTool {

// True for the commands this file runs.
bool handles(const QString& command);
// args: the command and its arguments. Exit codes as DatiTool::ExitCode.
int run(const QStringList& args, QTextStream& out, QTextStream& err);
// The usage lines of these commands.
void usage(QTextStream& s);

}  // namespace CopieTool
