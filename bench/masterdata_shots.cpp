// Pictures of the header, customer and product windows with a little demo data, at a screen
// size and zoom, to check that labels are readable and nothing is clipped.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <cstdio>

#include "common/format.h"
#include "common/inifile.h"
#include "data/shareddata.h"
#include "masterdata/frmclienti.h"
#include "masterdata/frmintesta.h"
#include "masterdata/frmlistino.h"
#include "masterdata/masterdata_rules.h"
#include "shots.h"
#include "support/testfolder.h"

namespace {
void save(QWidget& w, const QString& file, QSize screen) {
    fitShot(w, screen);
    w.show();
    saveShot(w, file);
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    const ShotArgs args = shotArgs(argc, argv);
    const QString& out = args.out;
    const QSize screen = args.screen;
    const int zoom = args.zoom;
    TestFolder tf;
    tf.insert("Intesta", {{"RagioneSociale", "Cantina Sociale dei Colli"},
                          {"Indirizzo", "Via delle Vigne 12"},
                          {"Citta", "Canelli (AT)"},
                          {"Partita_IVA", "01234567890"},
                          {"CodiceAZ", "AT123"},
                          {"Aspetto", "Cartoni,Bancale,Sfuso"},
                          {"Causale", "Vendita,Reso,Omaggio"},
                          {"Griglia_X", 6},
                          {"Griglia_Y", 5}});
    tf.insert("IVA", {{"Ordine", 1}, {"IVA", "22"}, {"Nota_fin", ""}});
    tf.insert("IVA", {{"Ordine", 2}, {"IVA", "E10"}, {"Nota_fin", "Esente art. 10 DPR 633/72"}});
    tf.insert("Imballi",
              {{"Bottiglia", "B75"}, {"Descrizione", "Bordolese 0,75"}, {"Volume", 0.75}});
    const char* colours[] = {"0x000000FF", "0x0000FFFF", "0x00228B22", "0x00FF0000", ""};
    for (int i = 0; i < 30; ++i) {
        tf.insert("Anagrafica",
                  {{"Codice", QStringLiteral("CL%1").arg(i, 3, 10, QLatin1Char('0'))},
                   {"RagioneSociale", QStringLiteral("Enoteca Bianchi e Figli %1 S.n.c.").arg(i)},
                   {"Indirizzo", "Corso Vittorio Emanuele II"},
                   {"Ncivico", "112/B"},
                   {"CAP", "14053"},
                   {"Citta", "Canelli"},
                   {"Prov", "AT"},
                   {"Giur_Pers", "G"},
                   {"PartitaIVA", "IT01234567890"},
                   {"Listino", "2"},
                   {"Pagamento", "RIBA 30/60 gg. f.m."},
                   {"Telefono1", "0141 123456"}});
        tf.insert("Prodotti",
                  {{"Codice_prodotto", QStringLiteral("BARB%1").arg(i)},
                   {"Descrizione", QStringLiteral("Barbera d'Asti DOCG superiore %1").arg(i)},
                   {"Stato", i % 2 ? "2" : "1"},
                   {"Bottiglia", "B75"},
                   {"Litri", 10.0 * i},
                   {"UM", "li"},
                   {"IVA", "22"},
                   {"Categoria", "21"},
                   {"Classificazione", "M"},
                   {"Atto_Certificato", "6"},
                   {"Colore", colours[i % 5]},
                   {"Pos_Griglia", i},
                   {"Nome_breve", QStringLiteral("Barbera %1").arg(i)},
                   {"Prezzo1", 7.5}});
    }
    SharedData sd(tf.db());
    attachMasterDataRules(sd);
    IniFile ini;
    const QString tag =
        QStringLiteral("_%1x%2_%3.png").arg(screen.width()).arg(screen.height()).arg(zoom);
    sd.Intestazione.open();
    {
        TfrmIntesta w(sd, ini, zoom);
        for (int page = 0; page < 3; ++page) {
            w.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(page);
            save(w, out + QStringLiteral("/intesta%1").arg(page) + tag, screen);
        }
        w.accept();
    }
    sd.Clienti.open();
    {
        TfrmClienti w(sd, ini, zoom);
        save(w, out + QStringLiteral("/clienti_scheda") + tag, screen);
        w.findChild<QPushButton*>(QStringLiteral("btn_lista"))->click();
        save(w, out + QStringLiteral("/clienti_lista") + tag, screen);
        w.accept();
    }
    sd.prodotti.open();
    {
        TfrmListino w(sd, ini, zoom);
        save(w, out + QStringLiteral("/listino") + tag, screen);
        w.accept();
    }
    return 0;
}
