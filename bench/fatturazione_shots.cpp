// Pictures of the delivery-note picker, the product picker and the payments window over the demo
// data, at a screen size: fatturazione_shots OUTDIR [WIDTHxHEIGHT]. Run it in a display of that
// size (Xvfb).
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
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

namespace {
void save(QWidget& w, const QString& file) {
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    w.grab().save(file);
    std::printf("%s %dx%d\n", qPrintable(file), w.width(), w.height());
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    ScriptedMessages msgs;
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QStringList size =
        (argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("1280x800")).split(u'x');
    const QSize screen(size.value(0).toInt(), size.value(1).toInt());
    QDir().mkpath(out);
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
    docs.resize(docs.size().boundedTo(screen - QSize(20, 60)));
    docs.show();
    sd.Fatture.locate(QStringLiteral("Docum_numero"), inv.documNumero);
    docs.findChild<QPushButton*>(QStringLiteral("btn_modifica"))->click();

    Tsele_ddt_frm ddt(db);
    ddt.preparaElenco(inv.documNumero, cliente);
    ddt.show();
    save(ddt, out + QStringLiteral("/Tsele_ddt_frm.png"));
    ddt.BitBtn1Click();
    save(ddt, out + QStringLiteral("/Tsele_ddt_frm_dopo.png"));
    ddt.hide();

    TSele_maga_frm maga(sd);
    maga.show();
    maga.findChild<QLineEdit*>(QStringLiteral("quanti"))->setText(QStringLiteral("2"));
    maga.SpeedButton3Click();
    save(maga, out + QStringLiteral("/TSele_maga_frm.png"));
    maga.hide();
    save(docs, out + QStringLiteral("/TfrmFatture_righe.png"));

    Tfrmpagamenti pag(db);
    pag.pagamenti.open();
    pag.show();
    save(pag, out + QStringLiteral("/Tfrmpagamenti.png"));
    pag.findChild<QLineEdit*>(QStringLiteral("solo_cliente"))->setText(QStringLiteral("a"));
    pag.findChild<QPushButton*>(QStringLiteral("filtro"))->click();
    save(pag, out + QStringLiteral("/Tfrmpagamenti_filtro.png"));
    for (const QString& t : msgs.texts) std::printf("message: %s\n", qPrintable(t));
    return 0;
}
