#pragma once
// Checks of a database file, checked copies of it, and the start-up maintenance: the last good
// copy database_bak.mdb, dated copies in a backup folder kept for two weeks and a year, and an
// optional compaction. Nothing here ever replaces a good copy with a doubtful one.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QSqlDatabase;

// Which dated copies are kept: one per day of start-up for the last `days` days, and the first
// copy of each of the last `months` months.
struct BackupPolicy {
    QString folder;  // ends with "/"; empty = the data folder's "backup/"
    int days = 14;
    int months = 12;
};

struct MaintenanceOptions {
    BackupPolicy backups;
    QDate today;        // the date of the dated copy; invalid = today
    int waitMs = 2000;  // the longest wait for another program's lock, per step
    bool compact = true;
    // The day's dated copy, when it is due and can be taken from the checked copy, is left to
    // the caller (takeDatedCopy(), on a thread of its own while the program starts): the
    // checked copy is a closed file nothing else writes while the program holds the marker.
    bool datedCopyLater = false;
};

struct MaintenanceResult {
    bool ran = false;               // false when another program holds the database
    bool removedOldBackup = false;  // "database.bak_mdb" deleted
    bool backupWritten = false;     // "database_bak.mdb" replaced by a checked copy
    bool unchanged = false;         // untouched since its last checked copy: check and copy skipped
    QString datedBackup;            // the dated copy written and checked, else empty
    QString datedCopyFrom;          // datedCopyLater: the checked copy to take it from, else empty
    QStringList removedBackups;     // dated copies the rotation removed (file names)
    bool compacted = false;         // VACUUM ran (only when a tenth of the file was free)
    QString compactionSkipped;      // why a due compaction did not run, else empty
    QString skipped;                // why nothing was done although nobody held the marker
    QString error;                  // damaged or unreadable: every backup kept, not opened
    QStringList warnings;           // a copy that could not be written; the database still opens
};

namespace DatabaseFiles {

// The outcome of a check: empty problem = healthy. busy = the file could not be read because
// another program was writing it (not a sign of damage).
struct Check {
    QString problem;
    bool busy = false;
    bool ok() const { return problem.isEmpty() && !busy; }
};

// The database at path: a database at all, the engine's integrity check (quick = pages and
// records only, for a copy just written), and every table of the program with its columns.
Check checkFile(const QString& path, int waitMs, bool quick = false);
// A copy just written from a checked database: every page in the file, every table there.
Check checkWrittenCopy(const QString& path);
// The same on an open connection.
Check checkConnection(QSqlDatabase& c, bool quick = false);
// Tables or columns of the program missing from the connection's database, as a text for the
// user; empty when all are there. Columns beyond the program's own are allowed.
QString structureProblem(QSqlDatabase& c);

// How a copy just written is checked: Quick runs the engine's quick check on it; Written,
// for a copy of a database checked just before, asks only that every page the engine wrote is
// in the file and that every table is there (the start-up's copy: the full check of a copy is
// "vinorda-dati verifica"'s, and a restore checks the copy it is given).
enum class CopyCheck { Quick, Written };

// A consistent copy of the database open on `source` (or at sourcePath), written under
// target + ".tmp", synced, checked, then renamed over target. Returns the problem, empty on
// success. The temporary file never stays behind, and target is untouched on failure.
QString writeCheckedCopy(QSqlDatabase& source, const QString& target,
                         CopyCheck how = CopyCheck::Quick);
QString writeCheckedCopy(const QString& sourcePath, const QString& target, int waitMs);

// "database_2024-05-17.mdb", and back (an invalid date for any other name).
QString datedName(const QDate& day);
QDate dateOfName(const QString& fileName);
// The dates of `existing` that the policy keeps on `today` (copies dated after today are kept:
// a clock set wrong must not cost a copy).
QList<QDate> datesToKeep(const QList<QDate>& existing, const QDate& today, int days, int months);
// The folder the dated copies go to for a data folder and a policy.
QString backupFolder(const QString& dataFolder, const BackupPolicy& policy);

// Start-up maintenance of folder + "database.mdb" when nobody holds the lock marker.
MaintenanceResult maintain(const QString& folder, const MaintenanceOptions& options = {});
// The day's dated copy of folder's database as a byte copy of checkedCopy, then the rotation;
// datedBackup, removedBackups and warnings of the result are filled. Touches no connection.
MaintenanceResult takeDatedCopy(const QString& folder, const QString& checkedCopy,
                                const MaintenanceOptions& options);

}  // namespace DatabaseFiles
