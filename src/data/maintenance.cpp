#include "data/maintenance.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStorageInfo>
#include <memory>

#include "data/connection_p.h"
#include "data/database.h"
#include "data/schema.h"

using namespace dbimpl;

namespace DatabaseFiles {

namespace {

// The tables every database of the program has had from its first release. Tables an upgrade
// adds later are created after the start-up copy, so a database that predates them is sound.
const char* const kProgramTables[] = {"Intesta",    "Anagrafica", "Prodotti",      "Imballi",
                                      "IVA",        "Fatture",    "Righe",         "Giornale",
                                      "Appoggio_R", "Appoggio_I", "_StoredQueries"};

bool writable(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// Flushes a file (or a folder's entries) to the disk, so that a copy called good survives a
// power cut right after it was written.
bool syncPath(const QString& path, bool folder) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

QString integrity(QSqlDatabase& c, bool quick, bool* busy) {
    QSqlQuery q(c);
    if (!q.exec(quick ? QStringLiteral("PRAGMA quick_check")
                      : QStringLiteral("PRAGMA integrity_check"))) {
        *busy = isBusy(q.lastError());
        return engineText(q.lastError());
    }
    QStringList problems;
    while (q.next()) problems << q.value(0).toString();
    if (problems.size() == 1 && problems.first() == QLatin1String("ok")) return {};
    if (problems.isEmpty()) return QStringLiteral("il controllo di integrità non ha risposto");
    return problems.mid(0, 5).join(QLatin1Char('\n'));
}

qint64 pragmaNumber(QSqlDatabase& c, const QString& pragma) {
    QSqlQuery q(c);
    if (!q.exec(QStringLiteral("PRAGMA ") + pragma) || !q.next()) return -1;
    return q.value(0).toLongLong();
}

// The database open on source, page by page, into a new file at path: the engine's own copy,
// under one read lock, of the database as it stands. Unlike VACUUM INTO it does not rebuild
// every table and index, which costs most of a copy of a long journal. The new file gets no
// journal of its own: it is synced and checked by the caller before it takes any name.
QString copyPages(QSqlDatabase& source, const QString& path) {
    sqlite3* from = handleOf(source);
    if (!from) return QStringLiteral("connessione al database non disponibile");
    sqlite3* to = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &to,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(to, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr,
                          nullptr);
    if (rc == SQLITE_OK) {
        if (sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main")) {
            rc = sqlite3_backup_step(b, -1);
            const int finished = sqlite3_backup_finish(b);
            if (rc == SQLITE_DONE) rc = finished;
        } else {
            rc = sqlite3_errcode(to);
        }
    }
    sqlite3_close_v2(to);
    return rc == SQLITE_OK ? QString() : explainEngineText(QString::fromUtf8(sqlite3_errstr(rc)));
}

}  // namespace

QString structureProblem(QSqlDatabase& c) {
    QStringList missing;
    for (const char* name : kProgramTables) {
        const QString table = QString::fromLatin1(name);
        QSqlQuery q(c);
        // The table name is one of ours above, never the user's.
        if (!q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table)))
            return engineText(q.lastError());
        QStringList have;
        while (q.next()) have << q.value(1).toString().toLower();
        if (have.isEmpty()) {
            missing << QStringLiteral("manca la tabella %1").arg(table);
            continue;
        }
        const TableDef* def = Schema::table(table);
        if (!def) continue;
        QStringList lacking;
        for (const FieldDef& f : def->fields)
            if (!have.contains(f.name.toLower())) lacking << f.name;
        if (!lacking.isEmpty())
            missing << QStringLiteral("nella tabella %1 mancano i campi %2")
                           .arg(table, lacking.join(QStringLiteral(", ")));
    }
    return missing.join(QStringLiteral("; "));
}

Check checkConnection(QSqlDatabase& c, bool quick) {
    Check r;
    {
        // The engine opens anything lazily: the first read tells whether this is a database
        // (and rolls back a journal a crash left behind).
        QSqlQuery q(c);
        if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            r.busy = isBusy(q.lastError());
            r.problem = engineText(q.lastError());
            return r;
        }
    }
    r.problem = integrity(c, quick, &r.busy);
    if (r.problem.isEmpty()) r.problem = structureProblem(c);
    if (r.busy) r.problem.clear();
    return r;
}

Check checkFile(const QString& path, int waitMs, bool quick) {
    Check r;
    if (QFileInfo(path).isDir()) {
        r.problem = QStringLiteral("%1 è una cartella, non un file").arg(path);
        return r;
    }
    try {
        ScopedConnection c(path, !writable(path), waitMs);
        r = checkConnection(c.get(), quick);
    } catch (const DatabaseError& e) {
        r.problem = e.text();
    }
    return r;
}

// The pages themselves come from a database checked just before: a copy cut short, or one the
// engine did not finish, shows in its length or its tables.
Check checkWrittenCopy(const QString& path) {
    Check r;
    try {
        ScopedConnection c(path, true, 0);
        const qint64 pages = pragmaNumber(c.get(), QStringLiteral("page_count"));
        const qint64 pageSize = pragmaNumber(c.get(), QStringLiteral("page_size"));
        if (pages <= 0 || pageSize <= 0)
            r.problem = QStringLiteral("il file non si legge come database");
        else if (pages * pageSize != QFileInfo(path).size())
            r.problem = QStringLiteral("la lunghezza del file non corrisponde alle sue pagine");
        else
            r.problem = structureProblem(c.get());
    } catch (const DatabaseError& e) {
        r.problem = e.text();
    }
    return r;
}

QString writeCheckedCopy(QSqlDatabase& source, const QString& target, CopyCheck how) {
    const QString folder = QFileInfo(target).absolutePath();
    if (QString why = accessProblem(folder, W_OK | X_OK); !why.isEmpty())
        return QStringLiteral("nella cartella %1 non si può scrivere (%2)").arg(folder, why);
    const QString tmp = target + QStringLiteral(".tmp");
    QFile::remove(tmp);
    const auto fail = [&](const QString& why) {
        QFile::remove(tmp);
        return why;
    };
    if (QString why = copyPages(source, tmp); !why.isEmpty()) return fail(why);
    if (!syncPath(tmp, false))
        return fail(QStringLiteral("impossibile scrivere su disco %1").arg(tmp));
    const Check check = how == CopyCheck::Written ? checkWrittenCopy(tmp) : checkFile(tmp, 0, true);
    if (!check.ok())
        return fail(QStringLiteral("la copia scritta non supera il controllo: %1")
                        .arg(check.busy ? QStringLiteral("file occupato") : check.problem));
    if (::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(QStringLiteral("impossibile rinominare %1 in %2: %3")
                        .arg(tmp, target, systemErrorText(errno)));
    syncPath(QFileInfo(target).absolutePath(), true);
    return {};
}

QString writeCheckedCopy(const QString& sourcePath, const QString& target, int waitMs) {
    const Check check = checkFile(sourcePath, waitMs);
    if (check.busy)
        return QStringLiteral("il database %1 è occupato da un altro programma").arg(sourcePath);
    if (!check.ok()) return check.problem;
    try {
        ScopedConnection c(sourcePath, true, waitMs);
        return writeCheckedCopy(c.get(), target);
    } catch (const DatabaseError& e) {
        QFile::remove(target + QStringLiteral(".tmp"));
        return e.text();
    }
}

QString datedName(const QDate& day) {
    return QStringLiteral("database_%1.mdb").arg(day.toString(QStringLiteral("yyyy-MM-dd")));
}

QDate dateOfName(const QString& fileName) {
    static const QRegularExpression re(QStringLiteral("^database_(\\d{4}-\\d{2}-\\d{2})\\.mdb$"));
    const auto m = re.match(fileName);
    if (!m.hasMatch()) return {};
    return QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
}

QList<QDate> datesToKeep(const QList<QDate>& existing, const QDate& today, int days, int months) {
    const QDate firstDaily = today.addDays(-(qMax(days, 1) - 1));
    const QDate firstMonth = QDate(today.year(), today.month(), 1).addMonths(-(months - 1));
    QMap<int, QDate> firstOfMonth;  // yyyymm -> the earliest copy of that month
    for (const QDate& d : existing) {
        if (months <= 0 || d < firstMonth || d > today) continue;
        const int key = d.year() * 100 + d.month();
        if (!firstOfMonth.contains(key) || d < firstOfMonth[key]) firstOfMonth[key] = d;
    }
    QList<QDate> keep;
    for (const QDate& d : existing) {
        const bool daily = d >= firstDaily;  // dates after today included
        const bool monthly = firstOfMonth.value(d.year() * 100 + d.month()) == d;
        if ((daily || monthly) && !keep.contains(d)) keep << d;
    }
    std::sort(keep.begin(), keep.end());
    return keep;
}

QString backupFolder(const QString& dataFolder, const BackupPolicy& policy) {
    QString f = policy.folder.trimmed();
    if (f.isEmpty()) return dataFolder + QStringLiteral("backup/");
    if (QDir::isRelativePath(f)) f = dataFolder + f;
    if (!f.endsWith(QLatin1Char('/'))) f += QLatin1Char('/');
    return f;
}

namespace {

// A byte copy of a closed, checked copy (no journal can exist beside it): under target + ".tmp",
// synced, the same size, then renamed over target. Not a second link to the same file: a copy
// written over in place (a file manager, "cp") would take every day's copy with it. Returns the
// problem, empty on success.
QString copyCheckedFile(const QString& source, const QString& target) {
    const QString tmp = target + QStringLiteral(".tmp");
    QFile::remove(tmp);
    const auto fail = [&](const QString& why) {
        QFile::remove(tmp);
        return why;
    };
    if (!QFile::copy(source, tmp))
        return fail(QStringLiteral("impossibile copiare %1 in %2").arg(source, tmp));
    if (!syncPath(tmp, false))
        return fail(QStringLiteral("impossibile scrivere su disco %1").arg(tmp));
    if (QFileInfo(tmp).size() != QFileInfo(source).size())
        return fail(QStringLiteral("la copia %1 è incompleta").arg(tmp));
    if (::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(QStringLiteral("impossibile rinominare %1 in %2: %3")
                        .arg(tmp, target, systemErrorText(errno)));
    syncPath(QFileInfo(target).absolutePath(), true);
    return {};
}

// Today's dated copy, then the rotation: old copies go only once the new one is checked. The
// copy just written and checked (checkedCopy, when there is one) is copied as it stands instead
// of writing and checking the database once more.
QDate dayOf(const MaintenanceOptions& o) {
    return o.today.isValid() ? o.today : QDate::currentDate();
}

void writeDatedCopy(QSqlDatabase* c, const QString& checkedCopy, const QString& folder,
                    const MaintenanceOptions& o, MaintenanceResult& r) {
    const QString dir = backupFolder(folder, o.backups);
    const QDate today = dayOf(o);
    if (!QDir().mkpath(dir)) {
        const int err = errno;
        r.warnings << QStringLiteral("Impossibile creare la cartella delle copie %1 (%2)")
                          .arg(dir, systemErrorText(err));
        return;
    }
    const QString target = dir + datedName(today);
    const QString why = !checkedCopy.isEmpty() ? copyCheckedFile(checkedCopy, target)
                        : c                    ? writeCheckedCopy(*c, target)
                                               : QStringLiteral("nessuna copia controllata");
    if (!why.isEmpty()) {
        r.warnings << QStringLiteral("Copia di sicurezza %1 non scritta: %2").arg(target, why);
        return;
    }
    r.datedBackup = target;
    QMap<QDate, QString> copies;
    for (const QString& name : QDir(dir).entryList(QDir::Files))
        if (const QDate d = dateOfName(name); d.isValid()) copies.insert(d, name);
    const QList<QDate> keep = datesToKeep(copies.keys(), today, o.backups.days, o.backups.months);
    for (auto it = copies.cbegin(); it != copies.cend(); ++it) {
        if (keep.contains(it.key())) continue;
        if (QFile::remove(dir + it.value()))
            r.removedBackups << it.value();
        else
            r.warnings
                << QStringLiteral("Impossibile togliere la vecchia copia %1").arg(dir + it.value());
    }
}

// In-place compaction when a tenth of the file is free; skipped, never an error, when another
// program reads the file or the disk could not hold the work copies.
void compact(QSqlDatabase& c, const QString& db, MaintenanceResult& r) {
    const qint64 free = pragmaNumber(c, QStringLiteral("freelist_count"));
    const qint64 total = pragmaNumber(c, QStringLiteral("page_count"));
    if (free <= 0 || free * 10 < total) return;
    // The rollback journal holds the old pages and the engine's work copy the new ones.
    const qint64 size = QFileInfo(db).size();
    const QStorageInfo disk(QFileInfo(db).absolutePath());
    if (disk.isValid() && disk.bytesAvailable() < 2 * size + (1 << 20)) {
        r.compactionSkipped = QStringLiteral("spazio su disco insufficiente");
        return;
    }
    QSqlQuery vac(c);
    if (vac.exec(QStringLiteral("VACUUM"))) {
        r.compacted = true;
        return;
    }
    r.compactionSkipped = isBusy(vac.lastError())
                              ? QStringLiteral("il database è in uso da un altro programma")
                              : explainEngineText(engineText(vac.lastError()));
}

// What the database file was when its last checked copy was taken: the engine's change counter
// (header bytes 24-27, raised by every committed write), the size and the time of the last change,
// and the same of the copy. When all of it still holds and no journal waits to be rolled back,
// the database is the copy already checked: neither the check nor a new copy can find anything.
QString stampName(const QString& folder) {
    return folder + Database::backupName() + QStringLiteral(".verificato");
}

QString fileStamp(const QString& db, const QString& copy) {
    QFile f(db);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = f.read(100);
    if (head.size() < 100 || !head.startsWith("SQLite format 3")) return {};
    const quint32 counter = (quint32(quint8(head[24])) << 24) | (quint32(quint8(head[25])) << 16) |
                            (quint32(quint8(head[26])) << 8) | quint32(quint8(head[27]));
    const QFileInfo a(db), b(copy);
    if (!b.isFile()) return {};
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(counter)
        .arg(a.size())
        .arg(a.lastModified().toMSecsSinceEpoch())
        .arg(b.size())
        .arg(b.lastModified().toMSecsSinceEpoch());
}

bool unchangedSinceCheckedCopy(const QString& folder) {
    const QString db = folder + Database::fileName();
    if (QFile::exists(db + QStringLiteral("-journal"))) return false;
    QFile f(stampName(folder));
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QString now = fileStamp(db, folder + Database::backupName());
    return !now.isEmpty() && QString::fromLatin1(f.readAll()).trimmed() == now;
}

void writeStamp(const QString& folder) {
    const QString stamp = fileStamp(folder + Database::fileName(), folder + Database::backupName());
    QFile f(stampName(folder));
    // Without a stamp the next start-up simply checks and copies again.
    if (stamp.isEmpty() || !f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QFile::remove(stampName(folder));
        return;
    }
    f.write(stamp.toLatin1() + '\n');
}

}  // namespace

MaintenanceResult maintain(const QString& folder, const MaintenanceOptions& o) {
    MaintenanceResult r;
    // Held alone for the whole maintenance: a workstation that opens meanwhile waits for it.
    LockMarker marker(folder + Database::lockName());
    if (!marker.tryExclusive() && LockMarker::isLive(folder + Database::lockName())) return r;
    r.ran = true;
    const QString db = folder + Database::fileName();
    const QString old = folder + Database::oldBackupName();
    if (QFile::exists(old)) r.removedOldBackup = QFile::remove(old);
    if (!QFile::exists(db)) {
        r.error = QStringLiteral("Impossibile trovare il file %1").arg(db);
        return r;
    }
    const QString kept =
        QStringLiteral(
            "\n\nLe copie di sicurezza (%1 e la cartella %2) non sono state toccate: "
            "per rimetterne una, a programma chiuso, usare «vinorda-dati ripristina».")
            .arg(Database::backupName(), backupFolder(folder, o.backups));
    if (QFileInfo(db).isDir()) {
        r.error = QStringLiteral("%1 è una cartella, non un file.").arg(db) + kept;
        return r;
    }
    try {
        // Read-write when it can be written, so that a journal left by a crash is rolled back.
        const bool canWrite = writable(db) && writable(folder);
        ScopedConnection c(db, !canWrite, o.waitMs);
        // Pages and records: what an accident (a cut write, a full disk, scribbled sectors)
        // damages. The cross-check of every index against its table, which costs most of the
        // start-up on a large journal, is left to "vinorda-dati verifica". A database untouched
        // since its checked copy is that copy: only its tables are looked at.
        r.unchanged = unchangedSinceCheckedCopy(folder);
        const Check check =
            r.unchanged ? Check{structureProblem(c.get())} : checkConnection(c.get(), true);
        if (check.busy) {
            r.skipped = QStringLiteral("il database è in uso da un altro programma");
            return r;
        }
        if (!check.ok()) {
            r.error = QStringLiteral("Il database %1 è danneggiato o incompleto:\n%2")
                          .arg(db, explainEngineText(check.problem)) +
                      kept;
            return r;
        }
        const QString backup = folder + Database::backupName();
        if (!r.unchanged) {
            if (QString why = writeCheckedCopy(c.get(), backup, CopyCheck::Written);
                why.isEmpty()) {
                r.backupWritten = true;
                writeStamp(folder);
            } else {
                QFile::remove(stampName(folder));
                r.warnings
                    << QStringLiteral("Copia di sicurezza %1 non scritta: %2").arg(backup, why);
            }
        }
        // The day's dated copy is the data as the day began: taken at the day's first start-up
        // and kept through the day's later ones, so that a mistake made and a start-up run
        // after it leaves the morning's data in the dated copy while the checked copy moves on.
        if (!QFileInfo(backupFolder(folder, o.backups) + datedName(dayOf(o))).isFile()) {
            const QString from = r.unchanged || r.backupWritten ? backup : QString();
            if (o.datedCopyLater && !from.isEmpty())
                r.datedCopyFrom = from;
            else
                writeDatedCopy(&c.get(), from, folder, o, r);
        }
        if (o.compact && canWrite) compact(c.get(), db, r);
    } catch (const DatabaseError& e) {
        r.error = QStringLiteral("%1: %2").arg(db, e.text()) + kept;
    }
    return r;
}

MaintenanceResult takeDatedCopy(const QString& folder, const QString& checkedCopy,
                                const MaintenanceOptions& options) {
    MaintenanceResult r;
    writeDatedCopy(nullptr, checkedCopy, folder, options, r);
    return r;
}

}  // namespace DatabaseFiles
