#include "copie.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/inifile.h"
#include "common/paths.h"
#include "data/database.h"
#include "datitool.h"

using namespace DatiTool;

namespace CopieTool {

namespace {

constexpr int kWaitMs = 5000;

QString stamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hhmmss"));
}

// Where a copy goes: DEST as a file, DEST as a folder, or the folder's backup folder (the one
// of its vinorda.ini, as the program uses it).
QString targetOf(const QString& folder, const QString& dest) {
    const QString name = QStringLiteral("database_%1.mdb").arg(stamp());
    if (dest.isEmpty()) {
        BackupPolicy policy;
        policy.folder = IniFile(folder + QStringLiteral("vinorda.ini"))
                            .value(QStringLiteral("TMainForm"), QStringLiteral("BACKUP"));
        return DatabaseFiles::backupFolder(folder, policy) + name;
    }
    if (dest.endsWith(QLatin1Char('/')) || QFileInfo(dest).isDir())
        return normalizeFolder(QFileInfo(dest).absoluteFilePath()) + name;
    return QFileInfo(dest).absoluteFilePath();
}

int backup(const QString& folder, const QString& dest, QTextStream& out, QTextStream& err) {
    const QString db = folder + Database::fileName();
    if (!QFile::exists(db)) {
        err << "Errore: il database " << db << " non esiste\n";
        return Failed;
    }
    const QString target = targetOf(folder, dest);
    if (QFile::exists(target)) {
        err << "Errore: " << target << " esiste già; nulla è stato scritto\n";
        return AlreadyPresent;
    }
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        err << "Errore: impossibile creare la cartella " << QFileInfo(target).absolutePath()
            << "\n";
        return NotWritable;
    }
    // A consistent copy can be taken while the program runs: it reads like any workstation.
    if (QString why = DatabaseFiles::writeCheckedCopy(db, target, kWaitMs); !why.isEmpty()) {
        err << "Errore: copia non scritta: " << why << "\n";
        return Failed;
    }
    out << "Copia scritta e controllata: " << target << "\n";
    return Ok;
}

int restore(const QString& folder, const QString& copy, QTextStream& out, QTextStream& err) {
    const QString db = folder + Database::fileName();
    const QFileInfo source(copy);
    if (!source.isFile()) {
        err << "Errore: la copia " << copy << " non esiste o non è un file\n";
        return Usage;
    }
    if (source.canonicalFilePath() == QFileInfo(db).canonicalFilePath()) {
        err << "Errore: la copia indicata è il database stesso\n";
        return Usage;
    }
    // Nobody may open the database while it is being replaced: the marker is held alone.
    LockMarker marker(folder + Database::lockName());
    if (!marker.tryExclusive() && LockMarker::isLive(folder + Database::lockName())) {
        err << "Errore: il database " << db
            << " è aperto da un programma (anche su un'altra postazione); chiudere il "
               "programma prima di ripristinare. Nulla è stato modificato.\n";
        return InUse;
    }
    const DatabaseFiles::Check check = DatabaseFiles::checkFile(copy, kWaitMs);
    if (!check.ok()) {
        err << "Errore: la copia " << copy << " non supera il controllo ("
            << (check.busy ? QStringLiteral("occupata da un altro programma") : check.problem)
            << "). Nulla è stato modificato.\n";
        return Failed;
    }
    // The copy is rewritten beside the database and checked before anything is moved.
    const QString staged = folder + QStringLiteral("database_ripristino.mdb");
    QFile::remove(staged);
    if (QString why = DatabaseFiles::writeCheckedCopy(copy, staged, kWaitMs); !why.isEmpty()) {
        err << "Errore: " << why << ". Nulla è stato modificato.\n";
        return Failed;
    }
    // The current file (with a journal a crash may have left) goes aside, never away.
    QString aside;
    if (QFile::exists(db)) {
        aside = folder + QStringLiteral("database_prima_del_ripristino_%1.mdb").arg(stamp());
        if (!QFile::rename(db, aside)) {
            QFile::remove(staged);
            err << "Errore: impossibile mettere da parte " << db << ". Nulla è stato modificato.\n";
            return NotWritable;
        }
        const QString journal = db + QStringLiteral("-journal");
        if (QFile::exists(journal)) QFile::rename(journal, aside + QStringLiteral("-journal"));
    }
    if (!QFile::rename(staged, db)) {
        if (!aside.isEmpty()) {
            QFile::rename(aside, db);
            QFile::rename(aside + QStringLiteral("-journal"), db + QStringLiteral("-journal"));
        }
        QFile::remove(staged);
        err << "Errore: impossibile rimettere la copia al posto di " << db
            << ". Il database è rimasto quello di prima.\n";
        return NotWritable;
    }
    out << "Database ripristinato dalla copia " << copy << "\n";
    if (!aside.isEmpty()) out << "Il database di prima è conservato in " << aside << "\n";
    return Ok;
}

}  // namespace

bool handles(const QString& command) {
    return command == QLatin1String("backup") || command == QLatin1String("ripristina");
}

void usage(QTextStream& s) {
    s << "  backup CARTELLA [DESTINAZIONE]\n"
         "                      scrive ora una copia controllata del database (nella cartella\n"
         "                      delle copie, o in DESTINAZIONE: una cartella o un file)\n"
         "  ripristina CARTELLA COPIA\n"
         "                      rimette una copia al posto del database (solo a programma\n"
         "                      chiuso); il database di prima viene messo da parte\n";
}

int run(const QStringList& args, QTextStream& out, QTextStream& err) {
    const QString command = args.value(0);
    const bool isBackup = command == QLatin1String("backup");
    if (!handles(command) || args.size() < (isBackup ? 2 : 3) || args.size() > 3) {
        err << "Uso:\n";
        usage(err);
        return Usage;
    }
    const QFileInfo dir(args[1]);
    if (!dir.isDir()) {
        err << "Errore: " << args[1] << " non è una cartella\n";
        return Usage;
    }
    const QString folder = normalizeFolder(dir.absoluteFilePath());
    if (isBackup) return backup(folder, args.value(2), out, err);
    return restore(folder, QFileInfo(args[2]).absoluteFilePath(), out, err);
}

}  // namespace CopieTool
