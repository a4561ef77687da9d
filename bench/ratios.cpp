// The program against a reference doing the same work with the bare engine, in one run: the two
// interleaved, several repetitions, medians. One line per measurement:
//   name size program_ms reference_ms ratio peak_rss_mb
// ratios KIND FOLDER [REPS]; KIND: startup, load, journal, filter, quick, export. FOLDER is a
// data folder made by "vinorda-dati genera" (quick makes its own). Both sides of the startup
// and filter figures touch the same file; peak_rss_mb is the whole process's.
#include <sqlite3.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/mainform.h"
#include "common/format.h"
#include "common/messages.h"
#include "data/cursor.h"
#include "data/maintenance.h"
#include "data/migrations.h"
#include "data/shareddata.h"
#include "masterdata/masterdata_rules.h"
#include "stock/giornale.h"
#include "stock/registrazione.h"
#include "support/testfolder.h"

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double peakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

double timed(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// Program and reference taken in turn, reps times each; prints the line and the spread. The
// program side times itself (what it returns, in ms).
void pairTimed(const char* name, const QString& size, int reps,
               const std::function<double()>& program, const std::function<void()>& reference) {
    std::vector<double> p, r;
    for (int i = 0; i < reps; ++i) {
        p.push_back(program());
        r.push_back(timed(reference));
    }
    const double pm = median(p), rm = median(r);
    std::printf("%s %s %.1f %.1f %.2f %.0f\n", name, qPrintable(size), pm, rm, rm > 0 ? pm / rm : 0,
                peakRssMb());
    std::fprintf(stderr, "  %s: program min %.1f max %.1f, reference min %.1f max %.1f\n", name,
                 *std::min_element(p.begin(), p.end()), *std::max_element(p.begin(), p.end()),
                 *std::min_element(r.begin(), r.end()), *std::max_element(r.begin(), r.end()));
    std::fflush(stdout);
}

void pair(const char* name, const QString& size, int reps, const std::function<void()>& program,
          const std::function<void()>& reference) {
    pairTimed(
        name, size, reps, [&] { return timed(program); }, reference);
}

// A connection of the bare engine to a file.
class Raw {
public:
    explicit Raw(const QString& path) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(path));
        sqlite3_busy_timeout(db_, 60000);
    }
    ~Raw() { sqlite3_close_v2(db_); }
    sqlite3* get() const { return db_; }
    void exec(const char* sql) {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) qFatal("%s: %s", sql, err);
    }
    sqlite3_stmt* prepare(const QString& sql) {
        sqlite3_stmt* st = nullptr;
        const QByteArray u = sql.toUtf8();
        if (sqlite3_prepare_v2(db_, u.constData(), int(u.size()), &st, nullptr) != SQLITE_OK)
            qFatal("%s: %s", u.constData(), sqlite3_errmsg(db_));
        return st;
    }
    // Every row of a select read column by column in its stored type, as a reader must.
    qint64 readAll(const QString& sql, const QStringList& texts = {}) {
        sqlite3_stmt* st = prepare(sql);
        for (int i = 0; i < texts.size(); ++i) {
            const QByteArray u = texts[i].toUtf8();
            sqlite3_bind_text(st, i + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
        qint64 n = 0, sink = 0;
        const int cols = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < cols; ++c) {
                switch (sqlite3_column_type(st, c)) {
                    case SQLITE_INTEGER:
                        sink += sqlite3_column_int64(st, c);
                        break;
                    case SQLITE_FLOAT:
                        sink += qint64(sqlite3_column_double(st, c));
                        break;
                    case SQLITE_TEXT:
                        sink += sqlite3_column_bytes(st, c) + *sqlite3_column_text(st, c);
                        break;
                    default:
                        break;
                }
            }
            ++n;
        }
        sqlite3_finalize(st);
        return n + (sink == 42);
    }

private:
    sqlite3* db_ = nullptr;
};

QString sizeOf(Database& db, const char* table) {
    return QString::number(
        db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)))
            .toLongLong());
}

// What the program finds at start-up: the file changed since the last start-up's checked copy
// (a later start-up of the day: it checks and copies it), the same and the day's dated copy still
// to take (the day's first start-up: one copy more), or untouched since its checked copy (the
// check and the copy are skipped).
enum class Found { Changed, FirstOfDay, Unchanged };

void startup(const QString& folder, int reps, bool quickReference, Found found = Found::Changed) {
    QDir::setCurrent(folder);
    const QString size = [&] {
        Database db;
        db.open(folder);
        return sizeOf(db, "Giornale");
    }();
    const QString copy = folder + QStringLiteral("riferimento.tmp");
    const QString stamp = folder + Database::backupName() + QStringLiteral(".verificato");
    const QString dated =
        folder + QStringLiteral("backup/") + DatabaseFiles::datedName(QDate::currentDate());
    std::vector<double> datedAfter;
    pairTimed(
        found == Found::Unchanged    ? "startup_unchanged_vs_quick_check"
        : found == Found::FirstOfDay ? "startup_first_of_day_vs_quick_check"
        : quickReference             ? "startup_vs_quick_check"
                                     : "startup",
        size, reps,
        [&] {
            if (found != Found::Unchanged) QFile::remove(stamp);
            if (found == Found::FirstOfDay) QFile::remove(dated);
            QElapsedTimer t;
            t.start();
            Database db;
            SharedData shared(db);
            TMainForm form(db, shared);
            form.FormCreate();
            form.createWindows();
            // The main window is ready here; the day's dated copy may still be on its way.
            const double ready = t.nsecsElapsed() / 1e6;
            form.waitDatedCopy();
            if (found == Found::FirstOfDay) datedAfter.push_back(t.nsecsElapsed() / 1e6 - ready);
            form.close();
            return ready;
        },
        [&] {
            // The engine's own check (the full one, or the one the program runs) and one
            // copy, then a bare main window.
            {
                Raw raw(folder + Database::fileName());
                raw.readAll(quickReference ? QStringLiteral("PRAGMA quick_check")
                                           : QStringLiteral("PRAGMA integrity_check"));
                QFile::remove(copy);
                sqlite3_stmt* st = raw.prepare(QStringLiteral("VACUUM INTO ?"));
                const QByteArray p = QFile::encodeName(copy);
                sqlite3_bind_text(st, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
                sqlite3_step(st);
                sqlite3_finalize(st);
            }
            QMainWindow w;
            w.show();
            QCoreApplication::processEvents();
        });
    QFile::remove(copy);
    if (!datedAfter.empty())
        std::fprintf(stderr, "  the day's dated copy done %.1f ms (median) after the window\n",
                     median(datedAfter));
}

// Bytes a table's rows take in the file (its b-tree pages), from the engine's own page list.
double diskBytes(Raw& raw, const char* table) {
    sqlite3_stmt* st = nullptr;
    double bytes = 0;
    if (sqlite3_prepare_v2(raw.get(), "SELECT sum(pgsize) FROM dbstat WHERE name = ?", -1, &st,
                           nullptr) == SQLITE_OK) {
        sqlite3_bind_text(st, 1, table, -1, SQLITE_STATIC);
        if (sqlite3_step(st) == SQLITE_ROW) bytes = sqlite3_column_double(st, 0);
    }
    sqlite3_finalize(st);
    return bytes;
}

void load(const QString& folder, int reps) {
    Database db;
    db.open(folder);
    const auto one = [&](const char* name, const char* table) {
        DataSet ds(db, QString::fromLatin1(table));
        ds.setTable(QString::fromLatin1(table));
        Raw raw(folder + Database::fileName());
        std::vector<double> closing;
        qint64 held = 0;
        const QString size = sizeOf(db, table);
        pair(
            name, size, reps,
            [&] {
                ds.open();
                held = ds.bytesHeld();
                closing.push_back(timed([&] { ds.close(); }));
            },
            [&] {
                raw.readAll(QStringLiteral("SELECT rowid, * FROM %1").arg(QLatin1String(table)));
            });
        std::fprintf(stderr, "  %s: closing %.1f ms (median)\n", name, median(closing));
        // Memory against the file: bytes per row held by the data set and in the table's pages.
        const double rows = std::max(1.0, size.toDouble());
        const double mem = held / rows, disk = diskBytes(raw, table) / rows;
        std::printf("%s_bytes_per_row %s %.0f %.0f %.2f %.0f\n", name, qPrintable(size), mem, disk,
                    disk > 0 ? mem / disk : 0, peakRssMb());
        std::fflush(stdout);
    };
    one("load_customers", "Anagrafica");
    one("load_journal", "Giornale");

    // Closing 100,000 rows: against the 20 ms a window may take to go away unnoticed.
    if (sizeOf(db, "Giornale").toLongLong() >= 100000) {
        DataSet ds(db, QStringLiteral("Giornale"));
        ds.setTable(QStringLiteral("Giornale"),
                    QStringLiteral("ID IN (SELECT ID FROM Giornale "
                                   "ORDER BY ID LIMIT ?)"),
                    {100000});
        std::vector<double> closing;
        int rows = 0;
        for (int i = 0; i < reps; ++i) {
            ds.open();
            rows = ds.recordCount();
            closing.push_back(timed([&] { ds.close(); }));
        }
        const double m = median(closing);
        std::printf("close_journal_vs_20ms %d %.2f 20.0 %.3f %.0f\n", rows, m, m / 20.0,
                    peakRssMb());
        std::fprintf(stderr, "  close_journal_vs_20ms: min %.1f max %.1f\n",
                     *std::min_element(closing.begin(), closing.end()),
                     *std::max_element(closing.begin(), closing.end()));
        std::fflush(stdout);
    }
}

// "&Seleziona" over the whole span. The window reads the first page of the documents' view,
// the direct sales whole and the first product's detail: against the same reads through the
// bare engine, and against the full reads of every view (what "&Seleziona" did before the
// documents were read on demand), which the program also does with reading on demand off.
void journal(const QString& folder, int reps) {
    Database db;
    db.open(folder);
    std::fprintf(stderr, "  journal: schema brought up to date in %.1f ms\n",
                 timed([&] { Migrations::upgrade(db); }));
    ScriptedMessages msgs;
    SharedData sd(db);
    GiornaleMovimenti g(sd);
    g.FormShow();
    const QVariantList period = g.documenti.params();
    const QString codVino = g.corrispettivi.isEmpty()
                                ? QString()
                                : g.corrispettivi.field(QStringLiteral("Cod_vino")).asString();
    const int page = g.documenti.fetchOnDemand();
    Raw raw(folder + Database::fileName());
    const QStringList p{period.value(0).toString(), period.value(1).toString()};
    const QString bf = db.storedQuerySql(QStringLiteral("Esporta_BF"));
    const QString firstPage =
        QStringLiteral("SELECT * FROM (%1) LIMIT ?3").arg(bf.left(bf.lastIndexOf(u';')));
    const QStringList pPage = QStringList(p) << QString::number(page);
    const auto views = [&](const QString& documenti, const QStringList& binds) {
        raw.readAll(documenti, binds);
        raw.readAll(db.storedQuerySql(QStringLiteral("Esporta_N")), p);
        raw.readAll(QStringLiteral("SELECT rowid, * FROM Giornale WHERE (Esportato = 0 AND "
                                   "Tipo = 'N') AND \"Cod_vino\" = ?"),
                    {codVino});
    };
    const QString size = sizeOf(db, "Giornale");
    pair(
        "journal_seleziona", size, reps, [&] { g.apre_db(); }, [&] { views(firstPage, pPage); });
    pair(
        "journal_seleziona_vs_full_read", size, reps, [&] { g.apre_db(); }, [&] { views(bf, p); });
    g.documenti.setFetchOnDemand(0);
    pair(
        "journal_seleziona_reading_all", size, reps, [&] { g.apre_db(); }, [&] { views(bf, p); });
}

void filter(const QString& folder, int reps) {
    Database db;
    db.open(folder);
    SharedData sd(db);
    MasterDataRules& rules = attachMasterDataRules(sd);
    sd.Clienti.open();
    rules.search = {QStringLiteral("RagioneSociale"), QStringLiteral("ROSSI 1")};
    sd.filtroClienti = QLatin1Char('A');
    Raw raw(folder + Database::fileName());
    pair(
        "customer_filter", sizeOf(db, "Anagrafica"), reps,
        [&] {
            sd.Clienti.setFiltered(true);
            sd.Clienti.setFiltered(false);
        },
        [&] {
            raw.readAll(QStringLiteral("SELECT rowid FROM Anagrafica WHERE "
                                       "instr(upper(RagioneSociale), ?) > 0"),
                        {rules.search.text});
        });
}

// Quick registrations of direct sales, CPU side: commits are not flushed to the disk on either.
void quick(int reps) {
    const int products = 500, batch = 100;
    const auto fill = [&](TestFolder& tf) {
        Database::Transaction tx(tf.db());
        for (int p = 0; p < products; ++p)
            tf.db().exec(QStringLiteral("INSERT INTO Prodotti (Codice_prodotto, Descrizione, "
                                        "Stato, Litri, Prezzo_sinottico) "
                                        "VALUES (?, ?, '1', 100000000, 3.5)"),
                         {QStringLiteral("P%1").arg(p), QStringLiteral("Vino %1").arg(p)});
        tx.commit();
        tf.db().exec(QStringLiteral("PRAGMA synchronous=OFF"));
    };
    TestFolder mine, theirs;
    fill(mine);
    fill(theirs);
    RegistrazioneRapida rr(mine.db());
    int next = 0;
    theirs.db().close();
    Raw raw(theirs.file(Database::fileName()));
    raw.exec("PRAGMA synchronous=OFF");
    sqlite3_stmt* find = raw.prepare(QStringLiteral(
        "SELECT p.Auto_ID, p.Codice_prodotto, p.Descrizione, p.Stato, p.Bottiglia, p.Litri, "
        "p.Prezzo_sinottico, (SELECT i.Volume FROM Imballi i WHERE i.Bottiglia = p.Bottiglia "
        "LIMIT 1) FROM Prodotti p WHERE p.Auto_ID = ?"));
    sqlite3_stmt* begin = raw.prepare(QStringLiteral("BEGIN IMMEDIATE"));
    sqlite3_stmt* stock =
        raw.prepare(QStringLiteral("SELECT Litri FROM Prodotti WHERE "
                                   "Codice_prodotto = ?"));
    sqlite3_stmt* insert = raw.prepare(
        QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, Cliente, Docum_numero, "
                       "Riga_num, Tipo) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    sqlite3_stmt* lastId = raw.prepare(QStringLiteral("SELECT last_insert_rowid()"));
    sqlite3_stmt* update =
        raw.prepare(QStringLiteral("update prodotti set litri=? where codice_prodotto=?"));
    sqlite3_stmt* commit = raw.prepare(QStringLiteral("COMMIT"));
    const auto run = [](sqlite3_stmt* st) {
        sqlite3_step(st);
        sqlite3_reset(st);
    };
    int nextRaw = 0;
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 00:00:00"));
    pair(
        "quick_registration_x100", QString::number(products), reps,
        [&] {
            for (int i = 0; i < batch; ++i, ++next) {
                const QString id = QString::number(1 + next % products);
                const auto prep = rr.prepara_prodotto(id);
                rr.conferma(OperazioneRapida::Normale, 1.5, QStringLiteral("1,5"), prep.prodotto,
                            QDate::currentDate());
            }
        },
        [&] {
            for (int i = 0; i < batch; ++i, ++nextRaw) {
                sqlite3_bind_int64(find, 1, 1 + nextRaw % products);
                QByteArray code;
                if (sqlite3_step(find) == SQLITE_ROW)
                    code = reinterpret_cast<const char*>(sqlite3_column_text(find, 1));
                sqlite3_reset(find);
                run(begin);
                sqlite3_bind_text(stock, 1, code.constData(), int(code.size()), SQLITE_STATIC);
                double litri = 0;
                if (sqlite3_step(stock) == SQLITE_ROW) litri = sqlite3_column_double(stock, 0);
                sqlite3_reset(stock);
                const QByteArray day = today.toUtf8();
                sqlite3_bind_text(insert, 1, day.constData(), int(day.size()), SQLITE_STATIC);
                sqlite3_bind_text(insert, 2, code.constData(), int(code.size()), SQLITE_STATIC);
                sqlite3_bind_double(insert, 3, 1.5);
                sqlite3_bind_null(insert, 4);
                sqlite3_bind_null(insert, 5);
                sqlite3_bind_null(insert, 6);
                sqlite3_bind_text(insert, 7, "N", 1, SQLITE_STATIC);
                run(insert);
                run(lastId);
                sqlite3_bind_double(update, 1, litri - 1.5);
                sqlite3_bind_text(update, 2, code.constData(), int(code.size()), SQLITE_STATIC);
                run(update);
                run(commit);
            }
        });
    for (sqlite3_stmt* st : {find, begin, stock, insert, lastId, update, commit})
        sqlite3_finalize(st);
}

// The journal export's query over the whole span: the stored query against the same rows
// without their ORDER BY (what the sort costs when no index serves it).
void exportBf(const QString& folder, int reps) {
    Database db;
    db.open(folder);
    const QString sql = db.storedQuerySql(QStringLiteral("Esporta_BF"));
    const QString unordered = sql.left(sql.indexOf(QStringLiteral("ORDER BY")));
    const QVariantList period{QStringLiteral("0000-01-01 00:00:00"),
                              QStringLiteral("9999-12-31 23:59:59")};
    Raw raw(folder + Database::fileName());
    {
        SqlCursor plan(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql, period);
        while (plan.step()) std::fprintf(stderr, "  plan: %s\n", qPrintable(plan.text(3)));
    }
    pair(
        "export_bf", sizeOf(db, "Giornale"), reps,
        [&] {
            SqlCursor c(db, sql, period);
            qint64 n = 0;
            while (c.step()) n += c.utf8(1).size();
        },
        [&] {
            raw.readAll(unordered, {period[0].toString(), period[1].toString()});
        });
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    installItalianLocale();
    if (argc < 2) {
        std::fprintf(stderr, "uso: ratios startup|load|journal|filter|quick|export CARTELLA [N]\n");
        return 2;
    }
    const QString kind = QString::fromLocal8Bit(argv[1]);
    QString folder = argc > 2 ? QDir(QString::fromLocal8Bit(argv[2])).absolutePath() : QString();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    const int reps = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    try {
        if (kind == QLatin1String("startup")) {
            startup(folder, reps, false);
            startup(folder, reps, true);
            startup(folder, reps, true, Found::FirstOfDay);
            startup(folder, reps, true, Found::Unchanged);
        }
        if (kind == QLatin1String("load")) load(folder, reps);
        if (kind == QLatin1String("journal")) journal(folder, reps);
        if (kind == QLatin1String("filter")) filter(folder, reps);
        if (kind == QLatin1String("quick")) quick(reps);
        if (kind == QLatin1String("export")) exportBf(folder, reps);
    } catch (const DatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
