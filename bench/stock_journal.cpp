// "&Seleziona" and the cancellation of one row on a journal of 200,000 rows.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "stock/giornale.h"
#include "support/testfolder.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    installItalianLocale();
    TestFolder tf;
    Database& db = tf.db();
    const int products = 300, rows = 200000;
    {
        Database::Transaction tx(db);
        for (int p = 0; p < products; ++p)
            db.exec(QStringLiteral("INSERT INTO Prodotti (Codice_prodotto, Descrizione, Stato, "
                                   "Litri) VALUES (?, ?, '1', 100000)"),
                    {QStringLiteral("P%1").arg(p), QStringLiteral("Vino %1").arg(p)});
        const QDate start(2020, 1, 1);
        for (int i = 0; i < rows; ++i) {
            // Four in five are direct sales, the rest document movements; about 110 a day.
            const bool doc = i % 5 == 0;
            db.exec(
                QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, "
                               "Docum_numero, Riga_num, Tipo) VALUES (?, ?, ?, ?, ?, ?)"),
                {start.addDays(i / 110), QStringLiteral("P%1").arg(i % products), 0.75,
                 doc ? QVariant(QStringLiteral("B-2020-%1").arg(i, 6, 10, QLatin1Char('0')))
                     : QVariant(),
                 doc ? QVariant(i) : QVariant(), doc ? QStringLiteral("B") : QStringLiteral("N")});
        }
        tx.commit();
    }
    ScriptedMessages msgs;
    SharedData sd(db);
    GiornaleMovimenti g(sd);
    QTextStream out(stdout);
    QElapsedTimer t;

    t.start();
    g.FormShow();
    out << "showing, whole journal (" << g.esportaDa << " - " << g.esportaA << "): " << t.elapsed()
        << " ms, " << g.documenti.recordCount() << " document rows, "
        << g.corrispettivi.recordCount() << " products\n";

    auto seleziona = [&](const QString& da, const QString& a) {
        g.esportaDa = da;
        g.esportaA = a;
        QElapsedTimer s;
        s.start();
        g.apre_db();
        out << "&Seleziona " << da << " - " << a << ": " << s.nsecsElapsed() / 1000000.0 << " ms, "
            << g.documenti.recordCount() << " document rows\n";
    };
    seleziona(g.esportaDa, g.esportaA);
    seleziona(QStringLiteral("01/01/2024"), QStringLiteral("31/12/2024"));
    seleziona(QStringLiteral("01/03/2024"), QStringLiteral("31/03/2024"));

    for (int i = 0; i < 3; ++i) {
        msgs.answer(true);
        g.documenti.last();
        t.start();
        g.annullaDocumento();
        out << "Annulla riga (document): " << t.nsecsElapsed() / 1000000.0 << " ms\n";
        msgs.answer(true);
        t.start();
        g.annullaCorrispettivo();
        out << "Annulla riga (direct sale): " << t.nsecsElapsed() / 1000000.0 << " ms\n";
    }
    return 0;
}
