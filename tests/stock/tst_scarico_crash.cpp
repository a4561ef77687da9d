// A process discharging stock is killed at random moments. Whatever moment the kill hits (in a
// transaction, in a commit, between two), the database must come back whole: the engine's
// integrity check passes and every product's stock is its starting stock less the litres of its
// journal rows.
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include "data/database.h"
#include "support/testfolder.h"

namespace {
constexpr int kProducts = 6;
constexpr double kStart = 100000.0;
}  // namespace

class TstScaricoCrash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedDischargesLeaveConsistentStock() {
        TestFolder tf(true);
        for (int i = 0; i < kProducts; ++i)
            tf.insert(QStringLiteral("Prodotti"),
                      {{QStringLiteral("Codice_prodotto"), QStringLiteral("P%1").arg(i)},
                       {QStringLiteral("Stato"), QStringLiteral("1")},
                       {QStringLiteral("Litri"), kStart}});
        tf.db().close();
        QRandomGenerator rng(QRandomGenerator::global()->generate());
        qint64 rowsBefore = 0;
        for (int round = 0; round < 50; ++round) {
            QProcess child;
            child.start(QStringLiteral(VINORDA_SCARICO_CHILD),
                        {tf.path(), QString::number(rng.generate()), QString::number(kProducts)});
            QVERIFY2(child.waitForReadyRead(20000),
                     qPrintable(QString::fromLocal8Bit(child.readAllStandardError())));
            QTest::qSleep(int(rng.bounded(120)));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            Database db;
            db.open(tf.path());  // rolls back the transaction the kill cut short
            QSqlQuery ic = db.select(QStringLiteral("PRAGMA integrity_check"));
            QVERIFY(ic.next());
            QCOMPARE(ic.value(0).toString(), QStringLiteral("ok"));
            QSqlQuery stock =
                db.select(QStringLiteral("SELECT p.Codice_prodotto, p.Litri, "
                                         "(SELECT COALESCE(SUM(g.Litri), 0) FROM Giornale g "
                                         " WHERE g.Cod_vino = p.Codice_prodotto) FROM Prodotti p"));
            int seen = 0;
            while (stock.next()) {
                ++seen;
                QVERIFY2(stock.value(1).toDouble() == kStart - stock.value(2).toDouble(),
                         qPrintable(QStringLiteral("round %1, %2: stock %3, journal %4")
                                        .arg(round)
                                        .arg(stock.value(0).toString())
                                        .arg(stock.value(1).toDouble())
                                        .arg(stock.value(2).toDouble())));
            }
            QCOMPARE(seen, kProducts);
            const qint64 rows =
                db.scalar(QStringLiteral("SELECT count(*) FROM Giornale")).toLongLong();
            QVERIFY(rows > rowsBefore);  // the child did commit work before the kill
            rowsBefore = rows;
        }
    }
};

QTEST_GUILESS_MAIN(TstScaricoCrash)
#include "tst_scarico_crash.moc"
