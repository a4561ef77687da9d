// What following the database costs: a post and a discharge committed while large data sets are
// open (20,000 customers, 200,000 journal rows), against reading those data sets again.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "common/format.h"
#include "data/shareddata.h"
#include "stock/scarico.h"
#include "support/testfolder.h"
#include "timing.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    installItalianLocale();
    TestFolder tf;
    Database& db = tf.db();
    const int customers = 20000, rows = 200000;
    {
        Database::Transaction tx(db);
        for (int i = 0; i < customers; ++i)
            db.exec(QStringLiteral("INSERT INTO Anagrafica (Codice, RagioneSociale, Listino) "
                                   "VALUES (?, ?, '1')"),
                    {QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')),
                     QStringLiteral("Cliente %1").arg((i * 7919) % customers)});
        db.exec(
            QStringLiteral("INSERT INTO Prodotti (Codice_prodotto, Stato, Litri) "
                           "VALUES ('P1', '1', 1000000)"));
        for (int i = 0; i < rows; ++i)
            db.exec(QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, Tipo) "
                                   "VALUES (?, 'P1', 0.75, 'N')"),
                    {QDate(2020, 1, 1).addDays(i / 110)});
        tx.commit();
    }
    SharedData sd(db);
    DataSet clienti2(db, QStringLiteral("clienti2"));
    clienti2.setTable(QStringLiteral("Anagrafica"));
    for (DataSet* ds : {&sd.Clienti, &clienti2, &sd.Giornale, &sd.prodotti}) ds->open();
    sd.Clienti.setReadOnly(false);

    int n = 0;
    const double post = bestMs([&] {
        sd.Clienti.edit();
        sd.Clienti.field(QStringLiteral("Citta")).setValue(QStringLiteral("Asti %1").arg(++n));
        sd.Clienti.post();
    });
    const double refreshClienti = bestMs([&] { clienti2.refresh(); });
    MovimentoGiornale m;
    m.data = QDate::currentDate();
    m.codVino = QStringLiteral("P1");
    m.litri = 0.75;
    m.tipo = QStringLiteral("N");
    int discharges = 0;
    const double scarico = bestMs([&] {
        ++discharges;
        registra_scarico(db, QStringLiteral("P1"), 0.75, m, OrdineScarico::GiacenzaPoiGiornale);
    });
    const double refreshGiornale = bestMs([&] { sd.Giornale.refresh(); }, 3);
    if (sd.Giornale.recordCount() != rows + discharges || clienti2.recordCount() != customers)
        return 1;
    std::printf(
        "post of one customer, 2 x %d open: %.2f ms (reading them again: %.2f ms, "
        "ratio %.3f)\n",
        customers, post, refreshClienti, post / refreshClienti);
    std::printf(
        "registra_scarico, journal of %d open: %.2f ms (reading it again: %.2f ms, "
        "ratio %.3f)\n",
        rows, scarico, refreshGiornale, scarico / refreshGiornale);
    return 0;
}
