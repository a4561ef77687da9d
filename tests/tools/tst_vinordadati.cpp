// vinorda-dati: new, demo and generated folders, the check, and the refusals with their codes.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "common/format.h"
#include "common/inifile.h"
#include "copie.h"
#include "data/database.h"
#include "datitool.h"
#include "documents/service.h"

namespace {
struct Result {
    int code;
    QString out;
    QString err;
};
Result runTool(const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int rc =
        CopieTool::handles(args.value(0)) ? CopieTool::run(args, o, e) : DatiTool::run(args, o, e);
    o.flush();
    e.flush();
    return {rc, out, err};
}
}  // namespace

class TstVinordaDati : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void crea();
    void demo();
    void refusals_data();
    void refusals();
    void forzaReplaces();
    void verificaFindsProblems();
    void genera();
    void backup_data();
    void backup();
    void ripristina_data();
    void ripristina();

private:
    // A data folder whose customer K1 is called `name`.
    QString folderWith(const QString& parent, const QString& name);
    static QString customer(const QString& folder);
    QTemporaryDir source_;
};

// Every header's stored totals equal those the document rules compute from its lines.
void expectTotalsOfTheRules(Database& db) {
    auto totals = [&db] {
        QStringList rows;
        QSqlQuery q = db.select(QStringLiteral(
            "SELECT Docum_numero, ALIVA1, ALIVA2, I1, IMP1, IMP2, TOTSC1, IVA1, IVA2, Tot_sconto, "
            "Tot_Imponibile, Tot_Iva, Totale, Tot_Litri FROM Fatture ORDER BY Docum_numero"));
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < 14; ++i) row << q.value(i).toString();
            rows << row.join(u'|');
        }
        return rows;
    };
    const QStringList before = totals();
    for (const QString& row : before) ricalcolaTotali(db, row.section(u'|', 0, 0));
    QCOMPARE(totals(), before);
}

void TstVinordaDati::initTestCase() {
    installItalianLocale();
    QDir().mkpath(source_.filePath(QStringLiteral("stampe")));
    QFile f(source_.filePath(QStringLiteral("stampe/clienti.frf")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<report/>");
    qputenv("VINORDA_DATA_DIR", source_.path().toUtf8());
}

void TstVinordaDati::crea() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("nuova")) + QLatin1Char('/');
    const Result r = runTool({QStringLiteral("crea"), folder});
    QCOMPARE(r.code, 0);
    QVERIFY(QFile::exists(folder + QStringLiteral("stampe/clienti.frf")));
    IniFile ini(folder + QStringLiteral("vinorda.ini"));
    QCOMPARE(ini.value(QStringLiteral("TMainForm"), QStringLiteral("DIRECTORY")), folder);

    Database db;
    db.open(folder);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Intesta")).toInt(), 1);
    QCOMPARE(
        db.scalar(QStringLiteral("SELECT Griglia_X || 'x' || Griglia_Y FROM Intesta")).toString(),
        QStringLiteral("5x4"));
    QCOMPARE(
        db.scalar(QStringLiteral(
                      "SELECT group_concat(IVA, ',') FROM (SELECT IVA FROM IVA ORDER BY Ordine)"))
            .toString()
            .left(7),
        QStringLiteral("22,10,4"));
    QVERIFY(!db.scalar(QStringLiteral("SELECT Nota_fin FROM IVA WHERE IVA = 'ES'"))
                 .toString()
                 .isEmpty());
    for (double v : {0.75, 1.5, 0.375, 5.0})
        QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM Imballi WHERE Volume = ?"), {v})
                    .toInt() >= 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Anagrafica")).toInt(), 0);
    db.close();
    const Result v = runTool({QStringLiteral("verifica"), folder});
    QCOMPARE(v.code, 0);
    QVERIFY(v.out.contains(QStringLiteral("Nessun problema")));
}

void TstVinordaDati::demo() {
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QCOMPARE(runTool({QStringLiteral("demo"), folder}).code, 0);
    Database db;
    db.open(folder);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(DISTINCT Giur_Pers) FROM Anagrafica")).toInt(),
             3);
    QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM Anagrafica")).toInt() >= 12);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Prodotti")).toInt(), 20);
    // Every grid cell of 5 x 4 holds one product, each with a colour.
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(DISTINCT Pos_Griglia) FROM Prodotti WHERE "
                                      "Pos_Griglia BETWEEN 1 AND 20 AND Colore LIKE '0x00%'"))
                 .toInt(),
             20);
    QCOMPARE(db.scalar(QStringLiteral(
                           "SELECT count(DISTINCT Stato) FROM Prodotti WHERE Stato IN ('1','2')"))
                 .toInt(),
             2);
    // Private customers buy from list 6.
    QCOMPARE(db.scalar(QStringLiteral(
                           "SELECT count(*) FROM Anagrafica WHERE Giur_Pers='X' AND Listino<>'6'"))
                 .toInt(),
             0);
    QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM Fatture")).toInt() >= 3);
    QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM Giornale")).toInt() > 0);
    // Documents agree with their lines, and numbers have the 13-character form.
    QCOMPARE(
        db.scalar(QStringLiteral("SELECT count(*) FROM Fatture WHERE length(Docum_numero) <> 13"))
            .toInt(),
        0);
    QCOMPARE(
        db.scalar(QStringLiteral(
                      "SELECT count(*) FROM Fatture f WHERE abs(f.Tot_Litri - (SELECT "
                      "sum(Volume) FROM Righe r WHERE r.Docum_numero = f.Docum_numero)) > 1e-9"))
            .toInt(),
        0);
    // The journal holds exactly the discharged product lines (a summary invoice repeats lines
    // its delivery notes discharged), each at midnight of its document's day.
    QCOMPARE(
        db.scalar(QStringLiteral("SELECT count(*) FROM Righe r JOIN Fatture f ON f.Docum_numero = "
                                 "r.Docum_numero WHERE r.Scaricato = 1 AND f.DDTFATT <> 'R' AND "
                                 "COALESCE(r.Cod_vino_collegato, '') <> ''"))
            .toInt(),
        db.scalar(QStringLiteral("SELECT count(*) FROM Giornale g JOIN Fatture f ON "
                                 "f.Docum_numero = g.Docum_numero AND f.Data = g.Data_Ora"))
            .toInt());
    QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM Giornale")).toInt() > 0);
    // All four kinds, printed and not, and a credit note.
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(DISTINCT DDTFATT) FROM Fatture")).toInt(), 4);
    QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM Fatture WHERE Totale < 0")).toInt() > 0);
    QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM Righe WHERE Scaricato = 0")).toInt() >
            0);
    // Totals are what the document rules compute from the lines.
    expectTotalsOfTheRules(db);
    db.close();
    QCOMPARE(runTool({QStringLiteral("verifica"), folder}).code, 0);
}

void TstVinordaDati::refusals_data() {
    QTest::addColumn<QStringList>("args");  // "%D" = a folder with a database, "%F" = a file
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("no args") << QStringList{} << 2 << "Uso:";
    QTest::newRow("unknown command") << QStringList{"cancella", "%D"} << 2 << "comando sconosciuto";
    QTest::newRow("unknown option")
        << QStringList{"crea", "%D", "--tutto"} << 2 << "opzione sconosciuta";
    QTest::newRow("bad number") << QStringList{"genera", "%D", "--clienti", "molti"} << 2
                                << "numero";
    QTest::newRow("database present") << QStringList{"crea", "%D"} << 3 << "esiste già";
    QTest::newRow("demo over database") << QStringList{"demo", "%D"} << 3 << "--forza";
    QTest::newRow("file, not folder") << QStringList{"crea", "%F"} << 4 << "non è una cartella";
    QTest::newRow("folder under a file") << QStringList{"crea", "%F/sotto"} << 4 << "impossibile";
    QTest::newRow("verifica, nothing there")
        << QStringList{"verifica", "%F/niente"} << 5 << "non esiste";
}

void TstVinordaDati::refusals() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString withDb = dir.filePath(QStringLiteral("dati"));
    QCOMPARE(runTool({QStringLiteral("crea"), withDb}).code, 0);
    Database db;
    db.open(withDb + QLatin1Char('/'));
    db.exec(QStringLiteral(
        "INSERT INTO Anagrafica (Codice, RagioneSociale) VALUES ('K1', 'Da tenere')"));
    db.close();
    const QString file = dir.filePath(QStringLiteral("unfile"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    for (QString& a : args)
        a.replace(QStringLiteral("%D"), withDb).replace(QStringLiteral("%F"), file);
    const Result r = runTool(args);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    // Nothing was lost.
    db.open(withDb + QLatin1Char('/'));
    QCOMPARE(db.scalar(QStringLiteral("SELECT RagioneSociale FROM Anagrafica WHERE Codice='K1'"))
                 .toString(),
             QStringLiteral("Da tenere"));
}

void TstVinordaDati::forzaReplaces() {
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QCOMPARE(runTool({QStringLiteral("demo"), folder}).code, 0);
    {
        IniFile ini(folder + QStringLiteral("vinorda.ini"));
        ini.setValue(QStringLiteral("TfrmIntesta"), QStringLiteral("stampante1_Text"),
                     QStringLiteral("Ufficio"));
        QVERIFY(ini.save());
    }
    // Not while another program holds the database.
    {
        Database other;
        other.open(folder);
        QCOMPARE(runTool({QStringLiteral("crea"), folder, QStringLiteral("--forza")}).code, 6);
    }
    QCOMPARE(runTool({QStringLiteral("crea"), folder, QStringLiteral("--forza")}).code, 0);
    Database db;
    db.open(folder);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Anagrafica")).toInt(), 0);
    db.close();
    // The user's own settings survive.
    IniFile ini(folder + QStringLiteral("vinorda.ini"));
    QCOMPARE(ini.value(QStringLiteral("TfrmIntesta"), QStringLiteral("stampante1_Text")),
             QStringLiteral("Ufficio"));
}

void TstVinordaDati::verificaFindsProblems() {
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QCOMPARE(runTool({QStringLiteral("demo"), folder}).code, 0);
    {
        Database db;
        db.open(folder);
        db.exec(QStringLiteral(
            "INSERT INTO Righe (Docum_numero, Codice) VALUES ('B-1999-000009', 'X')"));
        db.exec(QStringLiteral("DELETE FROM Intesta"));
        db.close();
    }
    const Result r = runTool({QStringLiteral("verifica"), folder});
    QCOMPARE(r.code, 5);
    QVERIFY(r.err.contains(QStringLiteral("righe senza documento")));
    QVERIFY(r.err.contains(QStringLiteral("Intesta")));
}

void TstVinordaDati::genera() {
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const Result r = runTool(
        {QStringLiteral("genera"), folder, QStringLiteral("--clienti"), QStringLiteral("300"),
         QStringLiteral("--prodotti"), QStringLiteral("50"), QStringLiteral("--movimenti"),
         QStringLiteral("1000"), QStringLiteral("--documenti"), QStringLiteral("10")});
    QCOMPARE(r.code, 0);
    Database db;
    db.open(folder);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Anagrafica")).toInt(), 300);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Prodotti")).toInt(), 50);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Giornale")).toInt(), 1000);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Fatture")).toInt(), 10);
    QVERIFY(db.scalar(QStringLiteral("SELECT count(*) FROM Righe")).toInt() >= 10);
    // The fast writer of generated documents gives the totals the document rules give.
    expectTotalsOfTheRules(db);
    db.close();
    QCOMPARE(runTool({QStringLiteral("verifica"), folder}).code, 0);
}

QString TstVinordaDati::folderWith(const QString& parent, const QString& name) {
    const QString folder = parent + QLatin1Char('/') + name.left(4) + QLatin1Char('/');
    if (runTool({QStringLiteral("crea"), folder}).code != 0) return {};
    Database db;
    db.open(folder);
    db.exec(QStringLiteral("INSERT INTO Anagrafica (Codice, RagioneSociale) VALUES ('K1', ?)"),
            {name});
    return folder;
}

QString TstVinordaDati::customer(const QString& folder) {
    Database db;
    try {
        db.open(folder);
        return db.scalar(QStringLiteral("SELECT RagioneSociale FROM Anagrafica WHERE Codice='K1'"))
            .toString();
    } catch (const DatabaseError& e) {
        return e.text();
    }
}

// A checked copy now, where it is asked for; a damaged database or a name taken writes nothing.
void TstVinordaDati::backup_data() {
    QTest::addColumn<QString>("iniBackup");  // BACKUP in the folder's vinorda.ini ("%T": temp)
    QTest::addColumn<QString>("dest");       // "" = none given
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("lands");  // where the copy is expected (a folder ends with "/")
    QTest::newRow("backup folder") << ""
                                   << "" << false << 0 << "%D/backup/";
    QTest::newRow("folder of vinorda.ini") << "%T/disco2"
                                           << "" << false << 0 << "%T/disco2/";
    QTest::newRow("folder given") << ""
                                  << "%T/chiavetta/" << false << 0 << "%T/chiavetta/";
    QTest::newRow("file given") << ""
                                << "%T/copia.mdb" << false << 0 << "%T/copia.mdb";
    QTest::newRow("file exists") << ""
                                 << "%T/esiste.mdb" << false << 3 << "%T/esiste.mdb";
    QTest::newRow("damaged database") << ""
                                      << "%T/chiavetta/" << true << 5 << "%T/chiavetta/";
}

void TstVinordaDati::backup() {
    QFETCH(QString, iniBackup);
    QFETCH(QString, dest);
    QFETCH(bool, damaged);
    QFETCH(int, code);
    QFETCH(QString, lands);
    QTemporaryDir dir;
    const QString folder = folderWith(dir.path(), QStringLiteral("Da tenere"));
    QVERIFY(!folder.isEmpty());
    const auto expand = [&](QString t) {
        return t.replace(QStringLiteral("%T"), dir.path()).replace(QStringLiteral("%D/"), folder);
    };
    if (!iniBackup.isEmpty()) {
        IniFile ini(folder + QStringLiteral("vinorda.ini"));
        ini.setValue(QStringLiteral("TMainForm"), QStringLiteral("BACKUP"), expand(iniBackup));
        QVERIFY(ini.save());
    }
    if (damaged) {
        QFile f(folder + Database::fileName());
        QVERIFY(f.resize(f.size() / 2));
    }
    const QString target = expand(lands);
    if (code == 3) {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("occupato");
    }
    QStringList args{QStringLiteral("backup"), folder};
    if (!dest.isEmpty()) args << expand(dest);
    const Result r = runTool(args);
    QCOMPARE(r.code, code);
    QString written;
    if (target.endsWith(QLatin1Char('/'))) {
        const QStringList files = QDir(target).entryList(QDir::Files);
        QCOMPARE(files.size(), code == 0 ? 1 : 0);  // no temporary file either
        if (code == 0) {
            static const QRegularExpression name(
                QStringLiteral("^database_\\d{4}-\\d{2}-\\d{2}_\\d{6}\\.mdb$"));
            QVERIFY2(name.match(files.first()).hasMatch(), qPrintable(files.first()));
            written = target + files.first();
        }
    } else if (code == 0) {
        written = target;
    }
    if (code != 0) {
        QVERIFY(!r.err.isEmpty());
        return;
    }
    QVERIFY2(r.out.contains(written), qPrintable(r.out));
    // The copy opens as a data folder of its own, with the data.
    QTemporaryDir other;
    QVERIFY(QFile::copy(written, other.filePath(QStringLiteral("database.mdb"))));
    QCOMPARE(customer(other.path() + QLatin1Char('/')), QStringLiteral("Da tenere"));
}

// A copy goes back only while no program has the database open, only when it passes the
// check, and the database it replaces is kept aside.
void TstVinordaDati::ripristina_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("restored") << "ok" << 0 << "";
    QTest::newRow("database open") << "open" << 6 << "aperto da un programma";
    QTest::newRow("damaged copy") << "damaged" << 5 << "non supera il controllo";
    QTest::newRow("no such copy") << "missing" << 2 << "non esiste";
    QTest::newRow("the database itself") << "self" << 2 << "il database stesso";
}

void TstVinordaDati::ripristina() {
    QFETCH(QString, situation);
    QFETCH(int, code);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString folder = folderWith(dir.path(), QStringLiteral("Da tenere"));
    const QString source = folderWith(dir.path(), QStringLiteral("Dalla copia"));
    QVERIFY(!folder.isEmpty() && !source.isEmpty());
    QString copy = source + Database::fileName();
    if (situation == QLatin1String("damaged")) {
        QFile f(copy);
        QVERIFY(f.resize(f.size() * 6 / 10));
    }
    if (situation == QLatin1String("missing")) copy = source + QStringLiteral("nessuna.mdb");
    if (situation == QLatin1String("self")) copy = folder + Database::fileName();
    Database open;
    if (situation == QLatin1String("open")) open.open(folder);
    const QStringList before = QDir(folder).entryList(QDir::Files);
    const Result r = runTool({QStringLiteral("ripristina"), folder, copy});
    open.close();
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QStringList after = QDir(folder).entryList(QDir::Files);
    if (code != 0) {
        // The marker of the open database went with it.
        if (situation == QLatin1String("open")) after << Database::lockName();
        after.sort();
        QCOMPARE(after, before);
        QCOMPARE(customer(folder), QStringLiteral("Da tenere"));
        return;
    }
    QCOMPARE(customer(folder), QStringLiteral("Dalla copia"));
    // The replaced database is kept aside, whole.
    const QStringList aside = QDir(folder).entryList(
        {QStringLiteral("database_prima_del_ripristino_*.mdb")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    after.removeAll(aside.first());
    QCOMPARE(after, before);  // nothing else left behind
    QTemporaryDir other;
    QVERIFY(QFile::copy(folder + aside.first(), other.filePath(QStringLiteral("database.mdb"))));
    QCOMPARE(customer(other.path() + QLatin1Char('/')), QStringLiteral("Da tenere"));
}

QTEST_GUILESS_MAIN(TstVinordaDati)
#include "tst_vinordadati.moc"
