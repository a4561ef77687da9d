// The rows a data set keeps: the same values whatever the source, kept through sorts and edits.
#include <QtTest>

#include "common/format.h"
#include "data/dataset.h"
#include "support/localzone.h"
#include "support/testfolder.h"

namespace {
struct Stored {
    const char* when;  // as stored; nullptr = null
    const char* code;
    QVariant litres;
    const char* customer;
    QVariant line;
    bool exported;
    const char* kind;
};

// Nulls, empty and non-ASCII texts, texts equal down a column, dates on both sides of a
// daylight-saving change, a date without a time.
const Stored kRows[] = {
    {"2024-10-27 02:30:00", "P2", 2.5, "città", 3, false, "B"},
    {"2024-03-31 02:30:00", "p1", QVariant(), nullptr, QVariant(), true, "F"},
    {"2024-06-01", "P1", -0.25, "", 1, false, "F"},
    {nullptr, "Ärger", 10.0, "Zürich 日本 €", -7, true, "F"},
    {"2024-02-29 23:59:59", nullptr, 0.0, "Città", 2, false, "B"},
};

QVariant text(const char* s) {
    return s ? QVariant(QString::fromUtf8(s)) : QVariant();
}

QVariant when(const char* s) {
    if (!s) return QVariant();
    const QString t = QString::fromLatin1(s);
    return QDateTime(
        QDate::fromString(t.left(10), Qt::ISODate),
        t.size() > 10 ? QTime::fromString(t.mid(11), QStringLiteral("hh:mm:ss")) : QTime(0, 0));
}

// What reading row i of the table must give, by field name.
QVariant expected(int i, const QString& field) {
    const Stored& r = kRows[i];
    if (field == QLatin1String("ID")) return i + 1;
    if (field == QLatin1String("Data_Ora")) return when(r.when);
    if (field == QLatin1String("Cod_vino")) return text(r.code);
    if (field == QLatin1String("Litri")) return r.litres;
    if (field == QLatin1String("Cliente")) return text(r.customer);
    if (field == QLatin1String("Riga_num")) return r.line;
    if (field == QLatin1String("Esportato")) return r.exported;
    if (field == QLatin1String("Tipo")) return text(r.kind);
    if (field == QLatin1String("Docum_numero")) return QVariant();
    return QStringLiteral("?");
}

void fill(TestFolder& tf) {
    for (const Stored& r : kRows)
        tf.db().exec(QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, Cliente, "
                                    "Riga_num, Esportato, Tipo) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                     {text(r.when), text(r.code), r.litres, text(r.customer), r.line,
                      r.exported ? 1 : 0, text(r.kind)});
    tf.insert("Prodotti", {{"Codice_prodotto", "P1"}, {"Descrizione", "Rosé"}});
    tf.insert("Prodotti", {{"Codice_prodotto", "P2"}, {"Descrizione", "Nero"}});
}

// Same value, same form: a null stays null, a date stays a local date. Dates compare by the
// clock on the wall: in the hour that comes twice a year, the engine picks either instant.
bool same(const QVariant& a, const QVariant& b) {
    const bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
    if (an || bn) return an == bn;
    if (a.typeId() != b.typeId()) return false;
    if (a.typeId() == QMetaType::QDateTime) {
        const QDateTime x = a.toDateTime(), y = b.toDateTime();
        return x.timeSpec() == y.timeSpec() && x.date() == y.date() && x.time() == y.time();
    }
    return a == b;
}

QString show(const QVariant& v) {
    return !v.isValid() || v.isNull() ? QStringLiteral("(null)")
                                      : QStringLiteral("%1 (%2)").arg(v.toString(), v.typeName());
}

QList<int> ids(DataSet& ds) {
    QList<int> out;
    const int id = ds.field(QStringLiteral("ID")).index();
    for (int r = 0; r < ds.recordCount(); ++r) out << ds.valueAt(r, id).toInt();
    return out;
}

void open(DataSet& ds, const QString& source) {
    if (source == QLatin1String("table"))
        ds.setTable(QStringLiteral("Giornale"));
    else if (source == QLatin1String("table where"))
        ds.setTable(QStringLiteral("Giornale"), QStringLiteral("ID <> ?"), {999});
    else if (source == QLatin1String("sql one table"))
        ds.setSql(QStringLiteral("SELECT * FROM Giornale"));
    else if (source == QLatin1String("sql join"))
        ds.setSql(
            QStringLiteral("SELECT g.*, p.Descrizione FROM Giornale g LEFT JOIN Prodotti p "
                           "ON p.Codice_prodotto = g.Cod_vino ORDER BY g.ID"));
    else
        ds.setStoredQuery(QStringLiteral("Esporta_BF"),
                          {QStringLiteral("0000-01-01 00:00:00"), QStringLiteral("9999-12-31")});
    ds.open();
}
}  // namespace

class TestDataSetRows : public QObject {
    Q_OBJECT
    // A zone with daylight saving: dates must read as stored on both sides of a change.
    std::unique_ptr<LocalZone> zone_;

private Q_SLOTS:
    void initTestCase() {
        installItalianLocale();
        zone_ = std::make_unique<LocalZone>("Europe/Rome");
    }
    void cleanupTestCase() { zone_.reset(); }

    void sameRowsFromEverySource_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QList<int>>("rows");  // IDs in the order shown
        QTest::newRow("table") << "table" << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("table with a condition") << "table where" << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("sql over one table") << "sql one table" << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("sql with a join") << "sql join" << QList<int>{1, 2, 3, 4, 5};
        // Journal rows of kind B or F not yet exported with a known product, by date.
        QTest::newRow("stored query") << "stored query" << QList<int>{3, 1};
    }
    void sameRowsFromEverySource() {
        QFETCH(QString, source);
        QFETCH(QList<int>, rows);
        TestFolder tf;
        fill(tf);
        DataSet ds(tf.db(), QStringLiteral("g"));
        open(ds, source);
        QCOMPARE(ids(ds), rows);
        for (int r = 0; r < ds.recordCount(); ++r) {
            const int i = rows[r] - 1;
            for (const char* name : {"ID", "Data_Ora", "Cod_vino", "Litri", "Cliente", "Riga_num",
                                     "Esportato", "Tipo"}) {
                const Field* f = ds.findField(QString::fromLatin1(name));
                if (!f) continue;  // not among the query's columns
                const QVariant got = ds.valueAt(r, f->index());
                const QVariant want = expected(i, f->name());
                QVERIFY2(same(got, want), qPrintable(QStringLiteral("row %1 %2: %3, expected %4")
                                                         .arg(rows[r])
                                                         .arg(f->name(), show(got), show(want))));
                // The cursor reads what the grid reads.
                QVERIFY(ds.setRecNo(r));
                QVERIFY(same(f->value(), want));
            }
        }
        if (const Field* d = ds.findField(QStringLiteral("Descrizione")))
            QCOMPARE(ds.valueAt(ds.recordCount() - 1, d->index()).toString(),
                     source == QLatin1String("sql join") ? QString() : QStringLiteral("Nero"));
    }

    // Nulls first, texts without regard to case, dates by the clock on the wall.
    void sortOnEachType_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("date and time") << "Data_Ora" << QList<int>{4, 5, 2, 3, 1};
        QTest::newRow("text") << "Cod_vino" << QList<int>{5, 2, 3, 1, 4};
        QTest::newRow("text with nulls and empties") << "Cliente" << QList<int>{2, 3, 1, 5, 4};
        QTest::newRow("real") << "Litri" << QList<int>{2, 3, 5, 1, 4};
        QTest::newRow("integer") << "Riga_num" << QList<int>{2, 4, 3, 5, 1};
        QTest::newRow("yes/no") << "Esportato" << QList<int>{1, 3, 5, 2, 4};
        QTest::newRow("key") << "ID" << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("source order") << "" << QList<int>{1, 2, 3, 4, 5};
    }
    void sortOnEachType() {
        QFETCH(QString, field);
        QFETCH(QList<int>, order);
        TestFolder tf;
        fill(tf);
        DataSet ds(tf.db(), QStringLiteral("g"));
        open(ds, QStringLiteral("table"));
        ds.sortBy(field);
        QCOMPARE(ids(ds), order);
        // Values travel with their rows.
        for (int r = 0; r < ds.recordCount(); ++r)
            for (int f = 0; f < ds.fieldCount(); ++f)
                QVERIFY(same(ds.valueAt(r, f), expected(order[r] - 1, ds.fieldAt(f).name())));
        // Sorted once more after a refresh: the same.
        ds.refresh();
        QCOMPARE(ids(ds), order);
    }

    // Edits written back into the kept rows: a text growing or shrinking, a value made null or
    // set from null, a text that the row shared with its neighbours; other rows untouched.
    void editsKeepEveryOtherRow_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("text grows") << 1 << "Cliente" << QVariant("città di Castello, più lunga");
        QTest::newRow("text shrinks") << 4 << "Cliente" << QVariant("Z");
        QTest::newRow("text made null") << 5 << "Cliente" << QVariant();
        QTest::newRow("text from null") << 2 << "Cliente" << QVariant("nuovo è");
        QTest::newRow("shared text changed") << 3 << "Tipo" << QVariant("N");
        QTest::newRow("text made empty") << 1 << "Cod_vino" << QVariant("");
        QTest::newRow("real from null") << 2 << "Litri" << QVariant(1.5);
        QTest::newRow("real made null") << 1 << "Litri" << QVariant();
        QTest::newRow("integer") << 4 << "Riga_num" << QVariant(12);
        QTest::newRow("yes/no") << 1 << "Esportato" << QVariant(true);
        QTest::newRow("date") << 4 << "Data_Ora" << when("2025-10-26 02:15:00");
        QTest::newRow("date made null") << 3 << "Data_Ora" << QVariant();
    }
    void editsKeepEveryOtherRow() {
        QFETCH(int, id);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        TestFolder tf;
        fill(tf);
        DataSet ds(tf.db(), QStringLiteral("g"));
        open(ds, QStringLiteral("table"));
        ds.sortBy(QStringLiteral("Cliente"));
        const auto check = [&](bool edited) {
            for (int r = 0; r < ds.recordCount(); ++r) {
                const int rowId = ds.valueAt(r, 0).toInt();
                for (int f = 0; f < ds.fieldCount(); ++f) {
                    const QString name = ds.fieldAt(f).name();
                    const QVariant want =
                        edited && rowId == id && name == field ? value : expected(rowId - 1, name);
                    QVERIFY2(same(ds.valueAt(r, f), want),
                             qPrintable(QStringLiteral("%1 %2: %3")
                                            .arg(rowId)
                                            .arg(name, show(ds.valueAt(r, f)))));
                }
            }
        };
        // A refused post leaves the kept row as it was.
        QVERIFY(ds.locate(QStringLiteral("ID"), id));
        ds.edit();
        ds.field(field).setValue(value);
        ds.beforePost += [](DataSet&) { throw Abort{}; };
        QVERIFY(!ds.post());
        ds.cancel();
        check(false);
        ds.beforePost.clear();
        // A post shows at once, and again when read from the file.
        QVERIFY(ds.locate(QStringLiteral("ID"), id));
        ds.edit();
        ds.field(field).setValue(value);
        QVERIFY(ds.post());
        check(true);
        ds.refresh();
        check(true);
        DataSet fresh(tf.db(), QStringLiteral("fresh"));
        open(fresh, QStringLiteral("table"));
        QVERIFY(fresh.locate(QStringLiteral("ID"), id));
        QVERIFY(same(fresh.field(field).value(), value));
    }

    // Rows added, removed and read again one by one after other writers' commits keep their
    // values; the memory they take stays near their size in the file.
    void rowsFollowOtherWriters() {
        TestFolder tf;
        fill(tf);
        DataSet ds(tf.db(), QStringLiteral("g"));
        open(ds, QStringLiteral("table"));
        DataSet other(tf.db(), QStringLiteral("o"));
        open(other, QStringLiteral("table"));
        QVERIFY(other.locate(QStringLiteral("ID"), 2));
        other.edit();
        other.field(QStringLiteral("Cliente")).setValue(QStringLiteral("Perché sì"));
        QVERIFY(other.post());
        other.append();
        other.field(QStringLiteral("Cliente")).setValue(QStringLiteral("Ultimo"));
        other.field(QStringLiteral("Data_Ora")).setValue(when("2024-12-31 23:00:00"));
        QVERIFY(other.post());
        QVERIFY(other.locate(QStringLiteral("ID"), 4));
        QVERIFY(other.remove());
        QCOMPARE(ids(ds), QList<int>({1, 2, 3, 5, 6}));
        const int customer = ds.field(QStringLiteral("Cliente")).index();
        QCOMPARE(ds.valueAt(1, customer).toString(), QStringLiteral("Perché sì"));
        QCOMPARE(ds.valueAt(4, customer).toString(), QStringLiteral("Ultimo"));
        QVERIFY(same(ds.valueAt(4, ds.field(QStringLiteral("Data_Ora")).index()),
                     when("2024-12-31 23:00:00")));
        for (int r : {0, 2, 3}) {
            const int id = ds.valueAt(r, 0).toInt();
            for (int f = 0; f < ds.fieldCount(); ++f)
                QVERIFY(same(ds.valueAt(r, f), expected(id - 1, ds.fieldAt(f).name())));
        }

        // A thousand journal rows: no heap value per cell.
        {
            Database::Transaction tx(tf.db());
            for (int i = 0; i < 1000; ++i)
                tf.db().exec(
                    QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, "
                                   "Cliente, Docum_numero, Riga_num, Tipo) "
                                   "VALUES (?, ?, ?, ?, ?, ?, 'N')"),
                    {QStringLiteral("2024-05-%1 10:00:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                     QStringLiteral("P%1").arg(i % 50), i * 0.5, QStringLiteral("C%1").arg(i),
                     QStringLiteral("D%1").arg(i), i});
            tx.commit();
        }
        ds.refresh();
        QCOMPARE(ds.recordCount(), 1005);
        QVERIFY2(ds.bytesHeld() / ds.recordCount() < 160,
                 qPrintable(QString::number(ds.bytesHeld() / ds.recordCount())));
        ds.close();
        QCOMPARE(ds.bytesHeld(), qint64(0));
    }
};

QTEST_MAIN(TestDataSetRows)
#include "tst_datasetrows.moc"
