#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include "common/format.h"
#include "common/messages.h"
#include "data/dataset.h"
#include "data/shareddata.h"
#include "support/localzone.h"
#include "support/testfolder.h"

namespace {
// The rows of a data set in the order shown, and the key of the current one.
QStringList snapshot(DataSet& ds) {
    QStringList out;
    for (int r = 0; r < ds.recordCount(); ++r) {
        QStringList cells;
        for (int f = 0; f < ds.fieldCount(); ++f) cells << ds.displayTextAt(r, f);
        out << cells.join(QLatin1Char('|'));
    }
    out << QStringLiteral("@%1").arg(ds.isEmpty() ? QString() : ds.displayTextAt(-1, 1));
    return out;
}

// The same source opened afresh: what the data set must show after following the database.
QStringList freshSnapshot(Database& db, const QString& table, const QString& sort,
                          const QString& currentKey) {
    DataSet fresh(db, QStringLiteral("fresh"));
    fresh.setTable(table);
    fresh.sortBy(sort);
    fresh.open();
    if (!currentKey.isEmpty()) fresh.locate(fresh.fieldAt(1).name(), currentKey);
    return snapshot(fresh);
}

// Records whether the database was held by a transaction when each text was shown.
class TxAwareMessages : public ScriptedMessages {
public:
    explicit TxAwareMessages(Database& db) : db_(db) {}
    void message(const QString& text) override {
        inTransaction << db_.inTransaction();
        ScriptedMessages::message(text);
    }
    bool question(const QString& text) override {
        inTransaction << db_.inTransaction();
        return ScriptedMessages::question(text);
    }
    QList<bool> inTransaction;

private:
    Database& db_;
};

void fillIva(TestFolder& tf) {
    tf.insert("IVA", {{"Ordine", 1}, {"IVA", "22"}, {"Nota_fin", "ordinaria"}});
    tf.insert("IVA", {{"Ordine", 2}, {"IVA", "10"}, {"Nota_fin", "ridotta"}});
    tf.insert("IVA", {{"Ordine", 3}, {"IVA", "4"}, {"Nota_fin", "minima"}});
}
}  // namespace

class TestDataSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void fieldsFollowTheTableOrder() {
        TestFolder tf;
        DataSet ds(tf.db(), QStringLiteral("x"));
        ds.setTable(QStringLiteral("Giornale"));
        QStringList names;
        for (const auto& f : ds.fields()) names << f->name();
        QCOMPARE(names, QStringList({"ID", "Data_Ora", "Cod_vino", "Litri", "Cliente",
                                     "Docum_numero", "Riga_num", "Esportato", "Tipo"}));
    }

    // Stored dates read as local dates and times whatever the zone, on both sides of a
    // daylight-saving change, also when one value comes back further down (it is shared, so a
    // value kept from another zone or another row would show here).
    void storedDatesReadTheSameInAnyZone_data() {
        QTest::addColumn<QByteArray>("zone");
        for (const char* z :
             {"Europe/Rome", "America/New_York", "UTC", "Australia/Lord_Howe", "Europe/Rome"})
            QTest::newRow(z) << QByteArray(z);
    }
    void storedDatesReadTheSameInAnyZone() {
        QFETCH(QByteArray, zone);
        const LocalZone local(zone);
        const QStringList stored{
            "2024-03-31 01:59:59", "2024-03-31 02:30:00", "2024-03-31 03:00:00",
            "2024-10-27 02:30:00", "2024-03-10 02:30:00", "2024-11-03 01:30:00",
            "2024-03-31 02:30:00", "2024-10-27 02:30:00", "2024-06-01",
            "2024-02-29 23:59:59", "2024-06-01T10:00:00", "2024-13-01 00:00:00",
            "2024-04-06 02:15:00", "2024-10-06 02:15:00", "2024-10-27 02:30:00"};
        TestFolder tf;
        for (const QString& text : stored)
            tf.db().exec("INSERT INTO Giornale (Data_Ora, Tipo) VALUES (?, 'N')", {text});
        DataSet ds(tf.db(), QStringLiteral("g"));
        ds.setTable(QStringLiteral("Giornale"));
        ds.open();
        QCOMPARE(ds.recordCount(), int(stored.size()));
        const int fi = ds.field(QStringLiteral("Data_Ora")).index();
        QHash<QString, qint64> instants;
        for (int r = 0; r < stored.size(); ++r) {
            // The same text made into a local date and time on its own, here and now.
            const QString& text = stored[r];
            const QDate d = QDate::fromString(text.left(10), Qt::ISODate);
            const QTime t =
                text.size() == 19 ? QTime::fromString(text.mid(11), "hh:mm:ss") : QTime(0, 0);
            QDateTime expected =
                d.isValid() && t.isValid() ? QDateTime(d, t) : Database::parseDateTime(text);
            const QDateTime got = ds.valueAt(r, fi).toDateTime();
            QVERIFY2(got.isValid() == expected.isValid(), qPrintable(text));
            if (!expected.isValid()) continue;
            QCOMPARE(got.date(), expected.date());
            QCOMPARE(got.time(), expected.time());
            // An instant at which the zone's clocks show the stored time: in the hour that
            // comes twice a year either of the two, but the same one for every row.
            const auto shows = [&](const QDateTime& x) {
                const QDateTime local =
                    QDateTime::fromMSecsSinceEpoch(x.toMSecsSinceEpoch(), Qt::LocalTime);
                return local.date() == expected.date() && local.time() == expected.time();
            };
            if (shows(expected))
                QVERIFY2(shows(got), qPrintable(text));
            else
                QCOMPARE(got.toMSecsSinceEpoch(), expected.toMSecsSinceEpoch());
            const auto first = instants.constFind(text);
            if (first != instants.constEnd()) QCOMPARE(got.toMSecsSinceEpoch(), *first);
            instants.insert(text, got.toMSecsSinceEpoch());
        }
    }

    // Texts are read as stored, however they repeat: in a row, further down, differing only in
    // case, accent or length, empty, or too long to be shared.
    void textsReadAsStored() {
        const QStringList stored{"A",
                                 "AB",
                                 "A",
                                 "",
                                 "Città",
                                 "città",
                                 "A",
                                 "Città",
                                 "AB",
                                 "ABC",
                                 "",
                                 QString(300, 'x'),
                                 QString(300, 'x') + "y",
                                 "AB",
                                 "a",
                                 "A"};
        TestFolder tf;
        for (const QString& text : stored)
            tf.db().exec("INSERT INTO Giornale (Cod_vino, Cliente, Tipo) VALUES (?, ?, 'N')",
                         {text, text.left(3)});
        DataSet ds(tf.db(), QStringLiteral("g"));
        ds.setTable(QStringLiteral("Giornale"));
        ds.open();
        QCOMPARE(ds.recordCount(), int(stored.size()));
        const int code = ds.field(QStringLiteral("Cod_vino")).index();
        const int customer = ds.field(QStringLiteral("Cliente")).index();
        for (int r = 0; r < stored.size(); ++r) {
            QCOMPARE(ds.valueAt(r, code).toString(), stored[r]);
            QCOMPARE(ds.valueAt(r, customer).toString(), stored[r].left(3));
        }
    }

    void appendPostAndReadBack() {
        TestFolder tf;
        DataSet ds(tf.db(), QStringLiteral("g"));
        ds.setTable(QStringLiteral("Giornale"));
        ds.open();
        QVERIFY(ds.isEmpty());
        ds.append();
        QCOMPARE(ds.state(), DataSet::State::Insert);
        ds[QStringLiteral("Cod_vino")].setValue(QStringLiteral("ROSSO"));
        ds[QStringLiteral("Litri")].setValue(QStringLiteral("12,5"));
        ds[QStringLiteral("Data_Ora")].setValue(QDate(2025, 3, 2));
        QVERIFY(ds.post());
        QCOMPARE(ds.state(), DataSet::State::Browse);
        QVERIFY(ds[QStringLiteral("ID")].asInteger() > 0);
        // Fields not set stay null; the flag takes its default, false.
        QCOMPARE(tf.value("SELECT Riga_num IS NULL FROM Giornale").toInt(), 1);
        QCOMPARE(tf.value("SELECT Esportato FROM Giornale").toInt(), 0);
        QCOMPARE(tf.value("SELECT Data_Ora FROM Giornale").toString(),
                 QStringLiteral("2025-03-02 00:00:00"));
        QCOMPARE(tf.value("SELECT Litri FROM Giornale").toDouble(), 12.5);
        ds.close();
        ds.open();
        QCOMPARE(ds.recordCount(), 1);
        QCOMPARE(ds[QStringLiteral("Data_Ora")].displayText(), QStringLiteral("02/03/2025"));
        QCOMPARE(ds[QStringLiteral("Litri")].asFloat(), 12.5);
    }

    // Values that a column cannot hold are refused with the field's name, and nothing is stored.
    void refusals_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("text too long") << "Anagrafica"
                                       << "Prov" << QVariant("MIL");
        QTest::newRow("smallint over") << "Intesta"
                                       << "Griglia_X" << QVariant(40000);
        QTest::newRow("smallint under") << "Intesta"
                                        << "Griglia_Y" << QVariant(-40000);
        QTest::newRow("integer over") << "Prodotti"
                                      << "Pos_Griglia" << QVariant(qint64(3000000000LL));
        QTest::newRow("not a number") << "Prodotti"
                                      << "Litri" << QVariant("dodici");
        QTest::newRow("not an integer") << "Prodotti"
                                        << "Pos_Griglia" << QVariant("1,5x");
        QTest::newRow("not a date") << "Giornale"
                                    << "Data_Ora" << QVariant("31/02/20xx");
    }
    void refusals() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        TestFolder tf;
        DataSet ds(tf.db(), QStringLiteral("t"));
        ds.setTable(table);
        ds.open();
        ds.append();
        try {
            ds[field].setValue(value);
            QFAIL("value accepted");
        } catch (const DatabaseError& e) {
            QVERIFY2(e.text().contains(field), qPrintable(e.text()));
        }
        QCOMPARE(ds.state(), DataSet::State::Insert);
    }

    void textAtTheLimitIsKept() {
        TestFolder tf;
        DataSet ds(tf.db(), QStringLiteral("c"));
        ds.setTable(QStringLiteral("Anagrafica"));
        ds.open();
        ds.append();
        ds[QStringLiteral("Codice")].setValue(QString(30, QLatin1Char('C')));
        ds[QStringLiteral("RagioneSociale")].setValue(
            QStringLiteral("Cantina \"Il Poggio\" d'Asti"));
        ds[QStringLiteral("Prov")].setValue(QStringLiteral("AT"));
        QVERIFY(ds.post());
        QCOMPARE(tf.value("SELECT RagioneSociale FROM Anagrafica").toString(),
                 QStringLiteral("Cantina \"Il Poggio\" d'Asti"));
    }

    // Currency is exact to the ten-thousandth: sums of many small amounts do not drift.
    void currencyIsExact_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("stored");
        QTest::newRow("cent") << 0.01 << qint64(100);
        QTest::newRow("four decimals") << 1234.5678 << qint64(12345678);
        QTest::newRow("rounds fifth decimal") << 0.00005 << qint64(1);
        QTest::newRow("negative") << -0.01 << qint64(-100);
        QTest::newRow("large") << 99999999.99 << qint64(999999999900LL);
    }
    void currencyIsExact() {
        QFETCH(double, value);
        QFETCH(qint64, stored);
        TestFolder tf;
        DataSet ds(tf.db(), QStringLiteral("f"));
        ds.setTable(QStringLiteral("Fatture"));
        ds.open();
        ds.append();
        ds[QStringLiteral("Docum_numero")].setValue(QStringLiteral("F-2025-000001"));
        ds[QStringLiteral("Totale")].setValue(value);
        QVERIFY(ds.post());
        QCOMPARE(tf.value("SELECT Totale FROM Fatture").toLongLong(), stored);
        ds.refresh();
        QCOMPARE(ds[QStringLiteral("Totale")].asCurrency(), stored);
    }

    void currencySumStaysExact() {
        TestFolder tf;
        for (int i = 0; i < 1000; ++i)
            tf.insert("Righe", {{"Docum_numero", "F-2025-000001"}, {"Prezzo", 0.1}});
        QCOMPARE(tf.value("SELECT sum(Prezzo) FROM Righe").toLongLong(), qint64(1000000));
    }

    void beforePostAbortIsSilentAndKeepsTheRow() {
        TestFolder tf;
        DataSet ds(tf.db(), QStringLiteral("c"));
        ds.setTable(QStringLiteral("Anagrafica"));
        int calls = 0;
        ds.beforePost += [&](DataSet& d) {
            ++calls;
            if (d[QStringLiteral("Codice")].asString().isEmpty()) throw Abort{};
        };
        ds.open();
        ds.append();
        ds[QStringLiteral("RagioneSociale")].setValue(QStringLiteral("Rossi"));
        QVERIFY(!ds.post());
        QCOMPARE(ds.state(), DataSet::State::Insert);
        QCOMPARE(ds[QStringLiteral("RagioneSociale")].asString(), QStringLiteral("Rossi"));
        QCOMPARE(tf.count("Anagrafica"), 0);
        // Navigation posts first: refused, so the cursor does not move and the row stays.
        QVERIFY(!ds.first());
        QCOMPARE(ds.state(), DataSet::State::Insert);
        ds[QStringLiteral("Codice")].setValue(QStringLiteral("C1"));
        QVERIFY(ds.first());
        QCOMPARE(tf.count("Anagrafica"), 1);
        QCOMPARE(calls, 3);
    }

    void beforeDeleteAndBeforeEdit() {
        TestFolder tf;
        tf.insert("Imballi", {{"Bottiglia", "075"}, {"Volume", 0.75}});
        DataSet ds(tf.db(), QStringLiteral("i"));
        ds.setTable(QStringLiteral("Imballi"));
        bool allowDelete = false, allowEdit = false;
        ds.beforeDelete += [&](DataSet&) {
            if (!allowDelete) throw Abort{};
        };
        ds.beforeEdit += [&](DataSet&) {
            if (!allowEdit) throw Abort{};
        };
        ds.open();
        QVERIFY(!ds.tryEdit());
        QCOMPARE(ds.state(), DataSet::State::Browse);
        allowEdit = true;
        QVERIFY(ds.tryEdit());
        ds.cancel();
        QVERIFY(!ds.remove());
        QCOMPARE(tf.count("Imballi"), 1);
        allowDelete = true;
        QVERIFY(ds.remove());
        QCOMPARE(tf.count("Imballi"), 0);
        QVERIFY(ds.isEmpty());
    }

    void newRecordDefaultsAreNotAModification() {
        TestFolder tf;
        DataSet ds(tf.db(), QStringLiteral("c"));
        ds.setTable(QStringLiteral("Anagrafica"));
        ds.onNewRecord +=
            [](DataSet& d) { d[QStringLiteral("Listino")].setValue(QStringLiteral("1")); };
        ds.open();
        ds.append();
        QCOMPARE(ds[QStringLiteral("Listino")].asString(), QStringLiteral("1"));
        QVERIFY(!ds.isModified());
        QVERIFY(ds.first());  // an untouched new row is dropped, as when the user scrolls away
        QVERIFY(ds.isEmpty());
        QCOMPARE(tf.count("Anagrafica"), 0);
    }

    void afterPostAndAfterScrollFire() {
        TestFolder tf;
        tf.insert("IVA", {{"Ordine", 1}, {"IVA", "22"}});
        tf.insert("IVA", {{"Ordine", 2}, {"IVA", "10"}});
        DataSet ds(tf.db(), QStringLiteral("v"));
        ds.setTable(QStringLiteral("IVA"));
        int posts = 0, scrolls = 0;
        ds.afterPost += [&](DataSet&) { ++posts; };
        ds.afterScroll += [&](DataSet&) { ++scrolls; };
        ds.open();
        const int afterOpen = scrolls;
        QVERIFY(ds.next());
        QCOMPARE(scrolls, afterOpen + 1);
        ds.edit();
        ds[QStringLiteral("Nota_fin")].setValue(QStringLiteral("nota"));
        QVERIFY(ds.post());
        QCOMPARE(posts, 1);
        QVERIFY(!ds.next());
        QVERIFY(ds.eof());
    }

    void readOnlyRefusesChanges() {
        TestFolder tf;
        tf.insert("Anagrafica", {{"Codice", "A"}, {"RagioneSociale", "Alfa"}});
        DataSet ds(tf.db(), QStringLiteral("c"));
        ds.setTable(QStringLiteral("Anagrafica"));
        ds.setReadOnly(true);
        ds.open();
        QVERIFY_THROWS_EXCEPTION(DatabaseError, ds.edit());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, ds.append());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, ds.remove());
        ds.setReadOnly(false);
        ds.edit();
        ds[QStringLiteral("Citta")].setValue(QStringLiteral("Asti"));
        QVERIFY(ds.post());
    }

    void filterSwitchesOnAndOff() {
        TestFolder tf;
        const char* names[] = {"Bianchi", "Rossi", "Verdi", "Rossetti"};
        int n = 0;
        for (const char* s : names)
            tf.insert("Anagrafica", {{"Codice", QString::number(++n)}, {"RagioneSociale", s}});
        DataSet ds(tf.db(), QStringLiteral("c"));
        ds.setTable(QStringLiteral("Anagrafica"));
        ds.sortBy(QStringLiteral("RagioneSociale"));
        ds.onFilterRecord = [](DataSet& d) {
            return d[QStringLiteral("RagioneSociale")].asString().startsWith(
                QStringLiteral("Ross"));
        };
        ds.open();
        QCOMPARE(ds.recordCount(), 4);
        ds.setFiltered(true);
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds[QStringLiteral("RagioneSociale")].asString(), QStringLiteral("Rossetti"));
        QVERIFY(!ds.locate(QStringLiteral("RagioneSociale"), QStringLiteral("Verdi")));
        ds.setFiltered(false);
        QCOMPARE(ds.recordCount(), 4);
        QVERIFY(ds.locate(QStringLiteral("RagioneSociale"), QStringLiteral("Verdi")));
    }

    void sortAndLocate_data() {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("name ignores case") << "RagioneSociale" << QStringList{"3", "1", "2"};
        QTest::newRow("code") << "Codice" << QStringList{"1", "2", "3"};
        QTest::newRow("table order") << "" << QStringList{"2", "3", "1"};
    }
    void sortAndLocate() {
        QFETCH(QString, sort);
        QFETCH(QStringList, order);
        TestFolder tf;
        tf.insert("Anagrafica", {{"Codice", "2"}, {"RagioneSociale", "bruni"}});
        tf.insert("Anagrafica", {{"Codice", "3"}, {"RagioneSociale", "Alfa"}});
        tf.insert("Anagrafica", {{"Codice", "1"}, {"RagioneSociale", "Bianchi"}});
        DataSet ds(tf.db(), QStringLiteral("c"));
        ds.setTable(QStringLiteral("Anagrafica"));
        ds.sortBy(sort);
        ds.open();
        QStringList got;
        for (ds.first(); !ds.eof(); ds.next()) got << ds[QStringLiteral("Codice")].asString();
        QCOMPARE(got, order);
        // Sorting again keeps the cursor on the same customer.
        QVERIFY(ds.locate(QStringLiteral("Codice"), QStringLiteral("2")));
        ds.sortBy(QStringLiteral("RagioneSociale"));
        QCOMPARE(ds[QStringLiteral("Codice")].asString(), QStringLiteral("2"));
        QVERIFY(!ds.locate(QStringLiteral("Codice"), QStringLiteral("9")));
        QCOMPARE(ds[QStringLiteral("Codice")].asString(), QStringLiteral("2"));
    }

    void locateNumberFromText() {
        TestFolder tf;
        tf.insert("Prodotti", {{"Codice_prodotto", "A"}});
        const qint64 id = tf.insert("Prodotti", {{"Codice_prodotto", "B"}});
        DataSet ds(tf.db(), QStringLiteral("p"));
        ds.setTable(QStringLiteral("Prodotti"));
        ds.open();
        QVERIFY(ds.locate(QStringLiteral("Auto_ID"), QString::number(id)));
        QCOMPARE(ds[QStringLiteral("Codice_prodotto")].asString(), QStringLiteral("B"));
        QVERIFY(!ds.locate(QStringLiteral("Auto_ID"), QStringLiteral("12a")));
    }

    void masterDetailFollowsTheCursor() {
        TestFolder tf;
        tf.insert("Anagrafica", {{"Codice", "C1"}, {"RagioneSociale", "Uno"}});
        tf.insert("Anagrafica", {{"Codice", "C2"}, {"RagioneSociale", "Due"}});
        tf.insert("Fatture",
                  {{"Docum_numero", "B-2025-000001"}, {"Codice", "C1"}, {"Destinazione", "C2"}});
        tf.insert("Fatture", {{"Docum_numero", "B-2025-000002"}, {"Codice", "ZZ"}});
        for (int i = 0; i < 3; ++i)
            tf.insert("Righe",
                      {{"Docum_numero", "B-2025-000001"}, {"Descrizione", QString::number(i)}});
        SharedData sd(tf.db());
        sd.Fatture.open();
        sd.clifatt.open();
        sd.destfatt.open();
        sd.righe.open();
        QCOMPARE(sd.clifatt.recordCount(), 1);
        QCOMPARE(sd.clifatt[QStringLiteral("RagioneSociale")].asString(), QStringLiteral("Uno"));
        QCOMPARE(sd.destfatt[QStringLiteral("RagioneSociale")].asString(), QStringLiteral("Due"));
        QCOMPARE(sd.righe.recordCount(), 3);
        QCOMPARE(sd.righe[QStringLiteral("Descrizione")].asString(), QStringLiteral("0"));
        sd.Fatture.next();
        QVERIFY(sd.clifatt.isEmpty());   // code matching nothing
        QVERIFY(sd.destfatt.isEmpty());  // empty code
        QVERIFY(sd.righe.isEmpty());
        // A new line takes the document number of the master.
        sd.Fatture.first();
        sd.righe.setReadOnly(false);
        sd.righe.append();
        sd.righe[QStringLiteral("Descrizione")].setValue(QStringLiteral("nuova"));
        QVERIFY(sd.righe.post());
        QCOMPARE(tf.value("SELECT count(*) FROM Righe WHERE Docum_numero='B-2025-000001'").toInt(),
                 4);
    }

    void lookupAndCalculatedFields() {
        TestFolder tf;
        tf.insert("Imballi", {{"Bottiglia", "075"}, {"Volume", 0.75}});
        tf.insert(
            "Prodotti",
            {{"Codice_prodotto", "P1"}, {"Bottiglia", "075"}, {"Stato", "2"}, {"Litri", 10.0}});
        tf.insert("Prodotti",
                  {{"Codice_prodotto", "P2"}, {"Bottiglia", "XX"}, {"Stato", "2"}, {"Litri", 4.0}});
        SharedData sd(tf.db());
        sd.prodotti.onCalcFields = [](DataSet& d) {
            const double vol = d[QStringLiteral("Volume")].asFloat();
            double litri = d[QStringLiteral("Litri")].asFloat();
            d[QStringLiteral("Pezzi")].setValue(
                d[QStringLiteral("Stato")].asString() == QLatin1String("2") && vol != 0
                    ? std::trunc(litri / vol)
                    : litri);
        };
        sd.prodotti.open();
        QCOMPARE(sd.prodotti[QStringLiteral("Volume")].asFloat(), 0.75);
        QCOMPARE(sd.prodotti[QStringLiteral("Pezzi")].asFloat(), 13.0);
        QCOMPARE(sd.prodotti[QStringLiteral("Litri")].displayText(), QStringLiteral("10,000"));
        // Editing recomputes the calculated field at once.
        sd.prodotti.setReadOnly(false);
        sd.prodotti.edit();
        sd.prodotti[QStringLiteral("Litri")].setValue(9.0);
        QCOMPARE(sd.prodotti[QStringLiteral("Pezzi")].asFloat(), 12.0);
        sd.prodotti.cancel();
        QCOMPARE(sd.prodotti[QStringLiteral("Pezzi")].asFloat(), 13.0);
        sd.prodotti.next();
        QVERIFY(sd.prodotti[QStringLiteral("Volume")].isNull());
        QCOMPARE(sd.prodotti[QStringLiteral("Pezzi")].asFloat(), 4.0);
        QCOMPARE(sd.prodotti.displayTextAt(0, sd.prodotti.field(QStringLiteral("Pezzi")).index()),
                 QStringLiteral("13"));
    }

    void duplicateKeyIsRefusedClearly() {
        TestFolder tf;
        tf.insert("Anagrafica", {{"Codice", "C1"}, {"RagioneSociale", "Uno"}});
        DataSet ds(tf.db(), QStringLiteral("c"));
        ds.setTable(QStringLiteral("Anagrafica"));
        ds.open();
        ds.append();
        ds[QStringLiteral("Codice")].setValue(QStringLiteral("C1"));
        ds[QStringLiteral("RagioneSociale")].setValue(QStringLiteral("Altro"));
        try {
            ds.post();
            QFAIL("duplicate accepted");
        } catch (const DatabaseError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("C1")) &&
                         e.text().contains(QStringLiteral("Codice")),
                     qPrintable(e.text()));
        }
        QCOMPARE(ds.state(), DataSet::State::Insert);
        QCOMPARE(ds[QStringLiteral("RagioneSociale")].asString(), QStringLiteral("Altro"));
    }

    void sqlSetsAreTypedAndWritableOnlyOnOneTable() {
        TestFolder tf;
        tf.insert("Fatture",
                  {{"Docum_numero", "F-2025-000001"}, {"Doc_tipo", "F"}, {"Totale", 12.34}});
        DataSet one(tf.db(), QStringLiteral("pagamenti"));
        one.setSql(QStringLiteral("SELECT Docum_numero, Pagato, Totale FROM Fatture WHERE "
                                  "Doc_tipo=? ORDER BY Docum_numero"),
                   {QStringLiteral("F")});
        one.open();
        QCOMPARE(one[QStringLiteral("Totale")].asFloat(), 12.34);
        QVERIFY(one.canModify());
        one.edit();
        one[QStringLiteral("Pagato")].setValue(true);
        QVERIFY(one.post());
        QCOMPARE(tf.value("SELECT Pagato FROM Fatture").toInt(), 1);

        DataSet join(tf.db(), QStringLiteral("appo2"));
        join.setSql(
            QStringLiteral("SELECT Righe.*, Fatture.Data FROM Righe, Fatture WHERE "
                           "Righe.Docum_numero = Fatture.Docum_numero"));
        join.open();
        QVERIFY(!join.canModify());
        QVERIFY(join.isEmpty());
        QVERIFY(join.findField(QStringLiteral("Data")));
    }

    void refreshKeepsTheCurrentRow() {
        TestFolder tf;
        for (int i = 0; i < 5; ++i) tf.insert("IVA", {{"Ordine", i}, {"IVA", QString::number(i)}});
        DataSet ds(tf.db(), QStringLiteral("v"));
        ds.setTable(QStringLiteral("IVA"));
        ds.open();
        ds.setRecNo(3);
        tf.db().exec(QStringLiteral("DELETE FROM IVA WHERE Ordine = 0"));
        ds.refresh();
        QCOMPARE(ds[QStringLiteral("IVA")].asString(), QStringLiteral("3"));
        QCOMPARE(ds.recordCount(), 4);
    }

    // A write undone by a rollback, the caller's or its own (an after-event that fails), leaves
    // the data set and every other open data set over the table as they were, cursor included.
    void writeUndoneLeavesDataSetsAsTheyWere_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<bool>("callerRollsBack");
        for (const char* op : {"insert", "edit", "delete"}) {
            QTest::addRow("%s, caller's rollback", op) << QString::fromLatin1(op) << true;
            QTest::addRow("%s, after-event fails", op) << QString::fromLatin1(op) << false;
        }
    }
    void writeUndoneLeavesDataSetsAsTheyWere() {
        QFETCH(QString, op);
        QFETCH(bool, callerRollsBack);
        TestFolder tf;
        fillIva(tf);
        DataSet ds(tf.db(), QStringLiteral("v")), other(tf.db(), QStringLiteral("o"));
        for (DataSet* d : {&ds, &other}) {
            d->setTable(QStringLiteral("IVA"));
            d->open();
        }
        QVERIFY(ds.locate(QStringLiteral("IVA"), QStringLiteral("10")));
        QVERIFY(other.locate(QStringLiteral("IVA"), QStringLiteral("4")));
        const QStringList before = snapshot(ds), otherBefore = snapshot(other);
        bool fail = false;
        auto failing = [&](DataSet&) {
            if (fail) throw DatabaseError(QStringLiteral("disco pieno"));
        };
        ds.afterPost += failing;
        ds.afterDelete += failing;
        auto write = [&] {
            if (op == u"delete") return ds.remove();
            if (op == u"insert") {
                ds.append();
                ds[QStringLiteral("Ordine")].setValue(9);
                ds[QStringLiteral("IVA")].setValue(QStringLiteral("0"));
            } else {
                ds.edit();
                ds[QStringLiteral("Nota_fin")].setValue(QStringLiteral("cambiata"));
            }
            return ds.post();
        };
        if (callerRollsBack) {
            Database::Transaction tx(tf.db());
            QVERIFY(write());
            // Inside the transaction the data set shows its own write.
            QVERIFY(snapshot(ds) != before);
        } else {
            fail = true;
            QVERIFY_THROWS_EXCEPTION(DatabaseError, write());
            if (op != u"delete") {
                // Nothing stored, but the row stays in edit with what was typed.
                QVERIFY(ds.isEditing());
                QCOMPARE(ds[QStringLiteral("IVA")].asString(),
                         op == u"insert" ? QStringLiteral("0") : QStringLiteral("10"));
                ds.cancel();
            }
        }
        QCOMPARE(snapshot(ds), before);
        QCOMPARE(snapshot(other), otherBefore);
        QCOMPARE(tf.count("IVA"), 3);
        QCOMPARE(tf.value("SELECT count(*) FROM IVA WHERE Nota_fin = 'cambiata'").toInt(), 0);
    }

    // Rows written by statements reach the open data sets when the transaction commits (not
    // before), each data set keeping its order and its current row by key.
    void statementWritesReachOpenDataSets_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("inTransaction");
        QTest::addColumn<QString>("sort");
        const struct {
            const char* name;
            const char* sql;
        } cases[] = {
            {"insert", "INSERT INTO IVA (Ordine, IVA, Nota_fin) VALUES (0, '5', 'nuova')"},
            {"update", "UPDATE IVA SET Nota_fin = 'cambiata' WHERE IVA IN ('10', '4')"},
            {"delete other", "DELETE FROM IVA WHERE IVA = '22'"},
            {"delete current", "DELETE FROM IVA WHERE IVA = '10'"},
            {"delete whole table", "DELETE FROM IVA"},
        };
        for (const auto& c : cases)
            for (bool tx : {true, false}) {
                QTest::addRow("%s%s, table order", c.name, tx ? "" : ", no transaction")
                    << QString::fromLatin1(c.sql) << tx << QString();
                QTest::addRow("%s%s, sorted", c.name, tx ? "" : ", no transaction")
                    << QString::fromLatin1(c.sql) << tx << QStringLiteral("Ordine");
            }
    }
    void statementWritesReachOpenDataSets() {
        QFETCH(QString, sql);
        QFETCH(bool, inTransaction);
        QFETCH(QString, sort);
        TestFolder tf;
        fillIva(tf);
        DataSet ds(tf.db(), QStringLiteral("v"));
        ds.setTable(QStringLiteral("IVA"));
        ds.sortBy(sort);
        ds.open();
        QVERIFY(ds.locate(QStringLiteral("IVA"), QStringLiteral("10")));
        const QStringList before = snapshot(ds);
        if (inTransaction) {
            Database::Transaction tx(tf.db());
            tf.db().exec(sql);
            QCOMPARE(snapshot(ds), before);
            tx.commit();
        } else {
            tf.db().exec(sql);
        }
        const bool currentGone = tf.value("SELECT count(*) FROM IVA WHERE IVA = '10'").toInt() == 0;
        const QStringList now = snapshot(ds);
        if (currentGone) {
            QCOMPARE(
                now.mid(0, now.size() - 1),
                freshSnapshot(tf.db(), QStringLiteral("IVA"), sort, {}).mid(0, now.size() - 1));
        } else {
            QCOMPARE(now,
                     freshSnapshot(tf.db(), QStringLiteral("IVA"), sort, QStringLiteral("10")));
        }
    }

    // Detail and lookup data sets follow too: a line written for the current document, a
    // packaging volume changed under the products.
    void detailsAndLookupsFollowCommits() {
        TestFolder tf;
        tf.insert("Fatture", {{"Docum_numero", "B-2025-000001"}});
        tf.insert("Righe", {{"Docum_numero", "B-2025-000001"}, {"Codice", "A"}});
        tf.insert("Imballi", {{"Bottiglia", "075"}, {"Volume", 0.75}});
        tf.insert("Prodotti",
                  {{"Codice_prodotto", "P"}, {"Stato", "2"}, {"Bottiglia", "075"}, {"Litri", 7.5}});
        SharedData sd(tf.db());
        sd.prodotti.onCalcFields = [](DataSet& d) {
            const double v = d[QStringLiteral("Volume")].asFloat();
            d[QStringLiteral("Pezzi")].setValue(v ? d[QStringLiteral("Litri")].asFloat() / v : 0);
        };
        for (DataSet* d : {&sd.Fatture, &sd.righe, &sd.prodotti}) d->open();
        QCOMPARE(sd.righe.recordCount(), 1);
        QCOMPARE(sd.prodotti[QStringLiteral("Pezzi")].asFloat(), 10.0);
        {
            Database::Transaction tx(tf.db());
            tf.db().exec(QStringLiteral("INSERT INTO Righe (Docum_numero, Codice) VALUES (?, ?)"),
                         {QStringLiteral("B-2025-000001"), QStringLiteral("B")});
            tf.db().exec(QStringLiteral("INSERT INTO Righe (Docum_numero, Codice) VALUES (?, ?)"),
                         {QStringLiteral("B-2025-000002"), QStringLiteral("C")});
            tf.db().exec(QStringLiteral("UPDATE Imballi SET Volume = 1.5"));
            tx.commit();
        }
        QCOMPARE(sd.righe.recordCount(), 2);  // the other document's line is not its detail
        QCOMPARE(sd.righe.displayTextAt(1, sd.righe.field(QStringLiteral("Codice")).index()),
                 QStringLiteral("B"));
        QCOMPARE(sd.prodotti[QStringLiteral("Pezzi")].asFloat(), 5.0);
    }

    // A refusal's message and a delete question come while the database is free; a row once
    // deleted never comes back with the filter.
    void questionsAndRefusalsOutsideTheTransaction() {
        TestFolder tf;
        fillIva(tf);
        TxAwareMessages msgs(tf.db());
        DataSet ds(tf.db(), QStringLiteral("v"));
        ds.setTable(QStringLiteral("IVA"));
        ds.beforePost += [](DataSet& d) {
            if (d[QStringLiteral("IVA")].asString().isEmpty())
                throw Abort{QStringLiteral("   manca il codice   ")};
        };
        ds.askBeforeDelete += [](DataSet&) {
            if (!Mymsg::question(QStringLiteral("   Cancello?   "))) throw Abort{};
        };
        ds.onFilterRecord = [](DataSet&) { return true; };
        ds.open();
        ds.append();
        ds[QStringLiteral("Ordine")].setValue(7);
        QVERIFY(!ds.post());
        QCOMPARE(msgs.texts, QStringList{QStringLiteral("   manca il codice   ")});
        QCOMPARE(ds.state(), DataSet::State::Insert);
        ds.cancel();
        QVERIFY(!ds.remove());  // answered No
        QCOMPARE(tf.count("IVA"), 3);
        msgs.answer(true);
        QVERIFY(ds.remove());
        QCOMPARE(tf.count("IVA"), 2);
        QCOMPARE(msgs.inTransaction, QList<bool>({false, false, false}));
        ds.setFiltered(true);
        ds.setFiltered(false);
        QCOMPARE(ds.recordCount(), 2);
    }

    void signalsForGrids() {
        TestFolder tf;
        DataSet ds(tf.db(), QStringLiteral("v"));
        ds.setTable(QStringLiteral("IVA"));
        ds.open();
        QSignalSpy ins(&ds, &DataSet::rowInserted), rem(&ds, &DataSet::rowRemoved),
            chg(&ds, &DataSet::rowChanged);
        ds.append();
        QCOMPARE(ins.count(), 1);
        ds[QStringLiteral("IVA")].setValue(QStringLiteral("22"));
        QVERIFY(chg.count() >= 1);
        ds.cancel();
        QCOMPARE(rem.count(), 1);
        QVERIFY(ds.isEmpty());
    }

    // A source read on demand shows exactly the rows of a full read, in the same order, at and
    // across page boundaries, whichever way it is walked; each page is read only when wanted.
    void fetchOnDemandGivesTheRowsOfAFullRead_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("walk");
        const int page = 4;
        for (int n : {0, 1, page - 1, page, page + 1, 7 * page + 3})
            for (const char* w : {"next", "last", "locate", "recno", "bookmark", "sort", "refresh",
                                  "filter", "forward"})
                QTest::addRow("%d rows, %s", n, w) << n << QString::fromLatin1(w);
    }
    void fetchOnDemandGivesTheRowsOfAFullRead() {
        QFETCH(int, rows);
        QFETCH(QString, walk);
        const int page = 4;
        TestFolder tf;
        tf.insert("Prodotti", {{"Codice_prodotto", "A"}, {"Descrizione", "Alfa"}});
        tf.insert("Prodotti", {{"Codice_prodotto", "B"}, {"Descrizione", "Beta"}});
        for (int i = 0; i < rows; ++i)
            tf.insert("Giornale", {{"Data_Ora", QDate(2025, 1, 1 + (i * 7) % 5)},
                                   {"Cod_vino", i % 3 ? "A" : "B"},
                                   {"Litri", (i * 5) % 11},
                                   {"Tipo", "N"}});
        // Two tables: a source that cannot be written, ordered with ties of date.
        const QString sql = QStringLiteral(
            "SELECT Giornale.ID, Giornale.Data_Ora, Prodotti.Descrizione, Giornale.Litri "
            "FROM Giornale INNER JOIN Prodotti ON Giornale.Cod_vino = Prodotti.Codice_prodotto "
            "WHERE Giornale.Litri >= ? ORDER BY Giornale.Data_Ora, Giornale.ID;");
        DataSet full(tf.db(), QStringLiteral("full")), paged(tf.db(), QStringLiteral("paged"));
        for (DataSet* ds : {&full, &paged}) {
            ds->setSql(sql, {0});
            ds->onFilterRecord = [](DataSet& d) {
                return d[QStringLiteral("Litri")].asInteger() % 2;
            };
        }
        paged.setFetchOnDemand(page);
        full.open();
        paged.open();
        QCOMPARE(paged.recordCount(), qMin(rows, page));
        QCOMPARE(paged.canFetchMore(), rows >= page);
        const auto ids = [](DataSet& ds) {
            QStringList out;
            for (int r = 0; r < ds.recordCount(); ++r) out << ds.valueAt(r, 0).toString();
            return out;
        };
        const QString id = QStringLiteral("ID");
        if (walk == u"next") {
            QStringList walked;
            for (paged.first(); !paged.eof(); paged.next()) walked << paged[id].asString();
            QCOMPARE(walked, ids(full));
        } else if (walk == u"last") {
            QVERIFY(paged.last());
            full.last();
            QCOMPARE(paged.recNo(), rows - 1);
            QCOMPARE(paged.eof(), true);
            QCOMPARE(paged.valueAt(-1, 0), full.valueAt(-1, 0));
        } else if (walk == u"locate") {
            full.last();
            QCOMPARE(paged.locate(id, full[id].value()), rows > 0);
            QCOMPARE(paged.recNo(), rows - 1);
            QVERIFY(!paged.locate(id, -5));
            QCOMPARE(paged.recNo(), rows - 1);
        } else if (walk == u"recno") {
            QCOMPARE(paged.setRecNo(rows - 1), rows > 0);
            QVERIFY(!paged.setRecNo(rows));
            QCOMPARE(paged.recNo(), rows - 1);
            full.setRecNo(rows - 1);
            QCOMPARE(paged.valueAt(-1, 0), full.valueAt(-1, 0));
        } else if (walk == u"bookmark") {
            // Every row has an identity of its own, pages apart too.
            paged.last();
            QSet<qint64> marks;
            for (int r = 0; r < rows; ++r) {
                paged.setRecNo(r);
                marks.insert(paged.bookmark());
            }
            QCOMPARE(int(marks.size()), rows);
            const qint64 mark = paged.bookmark();
            const QVariant key = paged.valueAt(-1, 0);
            paged.close();
            paged.open();
            QCOMPARE(paged.gotoBookmark(mark), rows > 0);
            QCOMPARE(paged.valueAt(-1, 0), key);
        } else if (walk == u"sort") {
            full.sortBy(QStringLiteral("Litri"));
            paged.sortBy(QStringLiteral("Litri"));
            QVERIFY(!paged.canFetchMore());
        } else if (walk == u"refresh") {
            // Read again: as many rows as before, on the same row.
            const int at = qMin(rows - 1, page + 1);
            paged.setRecNo(at);
            const int read = paged.recordCount();
            const QVariant key = paged.valueAt(-1, 0);
            paged.refresh();
            QCOMPARE(paged.recordCount(), read);
            QCOMPARE(paged.recNo(), at);
            QCOMPARE(paged.valueAt(-1, 0), key);
        } else if (walk == u"forward") {
            // A copy walked once through (a print): the same rows and values, about a page
            // held at a time, read again from the start after that; this data set untouched.
            paged.setRecNo(qMin(rows, page) - 1);
            const int at = paged.recNo(), held = paged.recordCount();
            const std::unique_ptr<DataSet> copy = paged.forwardCopy();
            QVERIFY(copy);
            QCOMPARE(copy->totalRowCount(), qint64(rows));
            for (int pass = 0; pass < 2; ++pass) {
                int r = 0, most = 0;
                for (copy->first(); !copy->eof(); copy->next(), ++r) {
                    QCOMPARE(copy->releasedRows() + copy->recNo(), r);
                    for (int c = 0; c < full.fieldCount(); ++c)
                        QCOMPARE(copy->valueAt(-1, c), full.valueAt(r, c));
                    most = qMax(most, copy->recordCount());
                }
                QCOMPARE(r, rows);
                QVERIFY2(most <= qMax(page, rows / 4) + 1, qPrintable(QString::number(most)));
            }
            QCOMPARE(copy->totalRowCount(), qint64(rows));
            QCOMPARE(paged.recNo(), at);
            QCOMPARE(paged.recordCount(), held);
        } else if (walk == u"filter") {
            full.setFiltered(true);
            paged.setFiltered(true);
            QStringList walked;
            for (paged.first(); !paged.eof(); paged.next()) walked << paged[id].asString();
            QCOMPARE(walked, ids(full));
        }
        paged.fetchAll();
        QVERIFY(!paged.canFetchMore());
        QCOMPARE(ids(paged), ids(full));
        QCOMPARE(snapshot(paged).mid(0, paged.recordCount()),
                 snapshot(full).mid(0, full.recordCount()));
    }

    // Rows read on demand reach a grid as rows inserted at the end, announced before they are
    // in place; a table that can be written is read whole.
    void fetchOnDemandSignalsAndWritableSources() {
        TestFolder tf;
        fillIva(tf);
        DataSet q(tf.db(), QStringLiteral("q"));
        q.setSql(
            QStringLiteral("SELECT IVA.Ordine, IVA.IVA FROM IVA INNER JOIN IVA AS i2 ON "
                           "i2.Ordine = IVA.Ordine ORDER BY IVA.Ordine"));
        q.setFetchOnDemand(2);
        q.open();
        QVERIFY(q.canFetchMore());
        {
            // Between pages no read is left open: another workstation writes at once.
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
            other.setDatabaseName(tf.file(Database::fileName()));
            other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            QVERIFY(other.open());
            {
                QSqlQuery w(other);
                QVERIFY2(w.exec("INSERT INTO Prodotti (Codice_prodotto) VALUES ('X')"),
                         qPrintable(w.lastError().text()));
            }
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        QList<int> seenAtAnnounce;
        connect(&q, &DataSet::rowsAboutToBeFetched, this,
                [&](int first, int last) { seenAtAnnounce << q.recordCount() << first << last; });
        QSignalSpy done(&q, &DataSet::rowsFetched);
        QCOMPARE(q.fetchMore(), 1);
        QCOMPARE(seenAtAnnounce, (QList<int>{2, 2, 2}));
        QCOMPARE(done.count(), 1);
        QCOMPARE(q.fetchMore(), 0);
        QVERIFY(!q.canFetchMore());
        DataSet t(tf.db(), QStringLiteral("t"));
        t.setTable(QStringLiteral("IVA"));
        t.setFetchOnDemand(2);
        t.open();
        QCOMPARE(t.recordCount(), 3);
        QVERIFY(!t.canFetchMore());
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
