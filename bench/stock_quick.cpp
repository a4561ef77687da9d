// 1,000 quick registrations in a row through the window's controls (code, Enter, quantity,
// Enter, Enter on "Conferma").
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextStream>

#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "stock/sfuso1.h"
#include "support/testfolder.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installItalianLocale();
    TestFolder tf;
    Database& db = tf.db();
    {
        Database::Transaction tx(db);
        for (int p = 0; p < 500; ++p)
            db.exec(QStringLiteral("INSERT INTO Prodotti (Codice_prodotto, Descrizione, Stato, "
                                   "Litri, Prezzo_sinottico) VALUES (?, ?, '1', 100000, 3.5)"),
                    {QStringLiteral("P%1").arg(p), QStringLiteral("Vino %1").arg(p)});
        for (int i = 0; i < 50000; ++i)
            db.exec(QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, Tipo) "
                                   "VALUES (?, ?, 1, 'N')"),
                    {QDate(2024, 1, 1).addDays(i / 100), QStringLiteral("P%1").arg(i % 500)});
        tx.commit();
    }
    ScriptedMessages msgs;
    SharedData sd(db);
    TfrmSfuso1 w(sd);
    w.show();
    QApplication::setActiveWindow(&w);
    (void)QTest::qWaitForWindowActive(&w);
    auto* codice = w.findChild<QLineEdit*>(QStringLiteral("Codice"));
    auto* q = w.findChild<QLineEdit*>(QStringLiteral("scaricare"));
    auto* conferma = w.findChild<QPushButton*>(QStringLiteral("btnconferma"));
    const int n = 1000;
    QElapsedTimer t;
    t.start();
    qint64 worst = 0, last = 0;
    for (int i = 0; i < n; ++i) {
        codice->setFocus();
        QTest::keyClicks(codice, QString::number(1 + i % 500));
        QTest::keyClick(codice, Qt::Key_Return);
        QTest::keyClicks(q, QStringLiteral("1,5"));
        QTest::keyClick(q, Qt::Key_Return);
        QTest::keyClick(conferma, Qt::Key_Return);
        const qint64 now = t.nsecsElapsed();
        worst = qMax(worst, now - last);
        last = now;
    }
    QTextStream out(stdout);
    out << n << " registrations: " << t.elapsed() << " ms, " << (t.nsecsElapsed() / 1e6) / n
        << " ms each, worst " << worst / 1e6 << " ms; journal rows "
        << db.scalar(QStringLiteral("SELECT count(*) FROM Giornale")).toInt() << ", messages "
        << msgs.texts.size() << "\n";
    return 0;
}
