// Pictures of the delivery-note picker, the product picker and the payments window over the demo
// data, at a screen size: fatturazione_shots OUTDIR [WIDTHxHEIGHT]. Run it in a display of that
// size (Xvfb).
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "datitool.h"
#include "documents/documents_rules.h"
#include "documents/frmfatture.h"
#include "documents/kinds.h"
#include "documents/pagamentifrm.h"
#include "documents/seleddt.h"
#include "documents/selemaga.h"
#include "documents/service.h"
#include "shots.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    ScriptedMessages msgs;
    const ShotArgs args = shotArgs(argc, argv);
    const QString& out = args.out;
    const QSize screen = args.screen;
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    DatiTool::createBase(folder);
    DatiTool::fillDemo(folder);
    Database db;
    db.open(folder);
    // A summary invoice for the customer of a delivery note still to invoice.
    const QString cliente =
        db.scalar(QStringLiteral("SELECT Codice FROM Fatture WHERE Doc_tipo = 'B' AND "
                                 "Fatturato = 'N' ORDER BY Docum_numero"))
            .toString();
    const EsitoDocumento inv =
        creaTestata(db, {KindRiassunto, QDate::currentDate(), 0, cliente, cliente, {}});
    SharedData sd(db);
    attachDocumentRules(sd);
    sd.Intestazione.open();
    for (DataSet* ds : {&sd.Clienti, &sd.Fatture, &sd.righe, &sd.clifatt, &sd.destfatt}) ds->open();
    sd.prodotti.open();
    IniFile settings(folder + QStringLiteral("vinorda.ini"));
    IniFile layout(folder + QStringLiteral("form.ini"));
    TfrmFatture docs(sd, settings, layout);
    fitShot(docs, screen);
    docs.show();
    sd.Fatture.locate(QStringLiteral("Docum_numero"), inv.documNumero);
    docs.findChild<QPushButton*>(QStringLiteral("btn_modifica"))->click();

    Tsele_ddt_frm ddt(db);
    ddt.preparaElenco(inv.documNumero, cliente);
    ddt.show();
    saveShot(ddt, out + QStringLiteral("/Tsele_ddt_frm.png"));
    ddt.BitBtn1Click();
    saveShot(ddt, out + QStringLiteral("/Tsele_ddt_frm_dopo.png"));
    ddt.hide();

    TSele_maga_frm maga(sd);
    maga.show();
    maga.findChild<QLineEdit*>(QStringLiteral("quanti"))->setText(QStringLiteral("2"));
    maga.SpeedButton3Click();
    saveShot(maga, out + QStringLiteral("/TSele_maga_frm.png"));
    maga.hide();
    saveShot(docs, out + QStringLiteral("/TfrmFatture_righe.png"));

    Tfrmpagamenti pag(db);
    pag.pagamenti.open();
    pag.show();
    saveShot(pag, out + QStringLiteral("/Tfrmpagamenti.png"));
    pag.findChild<QLineEdit*>(QStringLiteral("solo_cliente"))->setText(QStringLiteral("a"));
    pag.findChild<QPushButton*>(QStringLiteral("filtro"))->click();
    saveShot(pag, out + QStringLiteral("/Tfrmpagamenti_filtro.png"));
    for (const QString& t : msgs.texts) std::printf("message: %s\n", qPrintable(t));
    return 0;
}
