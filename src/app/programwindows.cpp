// The program's windows and the commands that are not windows. Each window is listed under its
// class name (the start-up order is windowOrder()'s); its menu command is enabled as soon as the
// factory is present. Windows of later work add their factory here.
#include <QAction>

#include "app/appsettings.h"
#include "app/mainform.h"
#include "app/printservice.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "documents/frmfatture.h"
#include "documents/pagamentifrm.h"
#include "documents/seleddt.h"
#include "documents/selemaga.h"
#include "documents/service.h"
#include "masterdata/frmclienti.h"
#include "masterdata/frmintesta.h"
#include "masterdata/frmlistino.h"
#include "masterdata/masterdata_rules.h"
#include "panel/sinotticofrm.h"
#include "panel/videocliente.h"
#include "panel/videoscontrino.h"
#include "printing/selezioneform.h"
#include "stock/ask.h"
#include "stock/giornalefrm.h"
#include "stock/sfuso1.h"
#include "widgets/formgeometry.h"

namespace {
// A document the sales panel made, printed twice on the main printer: the templates read the
// shared header, its customer, place of delivery and lines, positioned on it for the print and
// closed again after it, as they were.
bool stampaDocumentoPannello(TMainForm& m, const QString& numero, const QString& modello,
                             const QString& titolo) {
    SharedData& sd = m.shared();
    DataSet* const tabelle[] = {&sd.Fatture, &sd.clifatt, &sd.destfatt, &sd.righe};
    bool aperte[4];
    for (int i = 0; i < 4; ++i) aperte[i] = tabelle[i]->isOpen();
    const bool filtrato = sd.Fatture.isFiltered();
    bool stampato = false;
    try {
        sd.Fatture.setFiltered(false);
        for (DataSet* ds : tabelle)
            if (ds->isOpen())
                ds->refresh();
            else
                ds->open();
        if (sd.Fatture.locate(QStringLiteral("Docum_numero"), numero)) {
            PrintRoutine& routine = m.printing().routine();
            routine.setReportPrinted(false);
            stampato = routine.setta_stampante(modello, titolo, true, PrintMode::TwoCopies, 1);
        }
    } catch (...) {
        for (int i = 3; i >= 0; --i)
            if (!aperte[i] && tabelle[i]->isOpen()) tabelle[i]->close();
        sd.Fatture.setFiltered(filtrato);
        throw;
    }
    for (int i = 3; i >= 0; --i)
        if (!aperte[i]) tabelle[i]->close();
    sd.Fatture.setFiltered(filtrato);
    return stampato;
}
}  // namespace

void attachProgramRules(SharedData& shared) {
    attachMasterDataRules(shared);
    attachDocumentRules(shared);
}

QHash<QString, WindowFactory> programWindowFactories() {
    QHash<QString, WindowFactory> f;
    f.insert(QStringLiteral("TfrmIntesta"), [](TMainForm& m) -> QWidget* {
        return new TfrmIntesta(m.shared(), m.settingsIni(), 100);
    });
    f.insert(QStringLiteral("TfrmClienti"), [](TMainForm& m) -> QWidget* {
        return new TfrmClienti(m.shared(), m.layoutIni(), m.zoom());
    });
    f.insert(QStringLiteral("TfrmListino"), [](TMainForm& m) -> QWidget* {
        return new TfrmListino(m.shared(), m.layoutIni(), m.zoom());
    });
    f.insert(QStringLiteral("TSelezioneForm"), [](TMainForm& m) -> QWidget* {
        auto* w = new TSelezioneForm(m.shared(), m.zoom());
        m.printing().lists().setSelezione(w);
        return w;
    });
    f.insert(QStringLiteral("TfrmGiornale"), [](TMainForm& m) -> QWidget* {
        auto* w = new TfrmGiornale(m.shared(), m.settingsIni(), m.zoom());
        // Its place is kept in form.ini with the other windows'.
        FormGeometry::restore(w, QStringLiteral("Giornale"), m.layoutIni());
        QObject::connect(w, &QDialog::finished, w, [w, &m] {
            FormGeometry::save(w, QStringLiteral("Giornale"), m.layoutIni());
        });
        // The journal print reads the window's two views by name.
        m.printing().addDataSet(w->giornale().documenti);
        m.printing().addDataSet(w->giornale().corrispettivi);
        TMainForm* main = &m;
        w->setPrint([main](const QString& name, const QString& title) {
            main->printing().routine().setta_stampante(name, title, false, PrintMode::Preview, 1);
        });
        // A cancelled document movement: the document's totals follow its remaining lines,
        // in the cancellation's own transaction.
        w->setRicalcolaDocumento(
            [main](const QString& documNumero) { ricalcolaTotali(main->db(), documNumero); });
        w->setCartellaEsportazione([main] {
            AppSettings s = App::settings();
            if (s.esportazione.trimmed().isEmpty()) {
                // An empty export folder becomes the data folder, kept as the header window
                // shows it.
                s.esportazione = s.exportFolder = App::dataFolder();
                App::setSettings(s);
                if (auto* intesta = qobject_cast<TfrmIntesta*>(
                        main->programWindow(QStringLiteral("TfrmIntesta")))) {
                    intesta->setEsportazioneText(s.esportazione);
                    intesta->storeSettings();
                }
            }
            return cartellaEsportazione(s.esportazione, App::dataFolder());
        });
        return w;
    });
    f.insert(QStringLiteral("TfrmFatture"), [](TMainForm& m) -> QWidget* {
        auto* w = new TfrmFatture(m.shared(), m.settingsIni(), m.layoutIni(), m.zoom());
        TMainForm* main = &m;
        // A document is printed through the print routine; only paper really printed counts.
        w->setPrint([main](const QString& name, const QString& title) {
            return main->printing().routine().setta_stampante(name, title, true, PrintMode::Preview,
                                                              1);
        });
        return w;
    });
    f.insert(QStringLiteral("Tfrmpagamenti"), [](TMainForm& m) -> QWidget* {
        auto* w = new Tfrmpagamenti(m.db(), m.zoom());
        TMainForm* main = &m;
        m.printing().addDataSet(w->pagamenti);
        w->setPrint([main](const QString& name, const QString& title) {
            main->printing().routine().setta_stampante(name, title, false, PrintMode::Preview, 1);
        });
        return w;
    });
    // The two pickers are created after the documents window, whose buttons open them.
    f.insert(QStringLiteral("TSele_maga_frm"), [](TMainForm& m) -> QWidget* {
        auto* w = new TSele_maga_frm(m.shared(), m.zoom());
        if (auto* docs = qobject_cast<TfrmFatture*>(m.programWindow(QStringLiteral("TfrmFatture"))))
            docs->setProductPicker([w] { w->exec(); });
        return w;
    });
    f.insert(QStringLiteral("Tsele_ddt_frm"), [](TMainForm& m) -> QWidget* {
        auto* w = new Tsele_ddt_frm(m.db(), m.zoom());
        SharedData* sd = &m.shared();
        if (auto* docs = qobject_cast<TfrmFatture*>(m.programWindow(QStringLiteral("TfrmFatture"))))
            docs->setDdtImport([w, sd] {
                w->apri(sd->Fatture.field(QStringLiteral("Docum_numero")).asString(),
                        sd->Fatture.field(QStringLiteral("Codice")).asString());
            });
        return w;
    });
    f.insert(QStringLiteral("TfrmSfuso1"),
             [](TMainForm& m) -> QWidget* { return new TfrmSfuso1(m.shared(), m.zoom()); });
    f.insert(QStringLiteral("Tfrmvideoscontr"),
             [](TMainForm&) -> QWidget* { return new Tfrmvideoscontr; });
    f.insert(QStringLiteral("Tfrmvideocli"),
             [](TMainForm& m) -> QWidget* { return new Tfrmvideocli(m.db()); });
    f.insert(QStringLiteral("Tfrmsinottico"), [](TMainForm& m) -> QWidget* {
        auto* w = new Tfrmsinottico(m.db());
        w->setIntestazione(
            qobject_cast<Tfrmvideoscontr*>(m.programWindow(QStringLiteral("Tfrmvideoscontr"))));
        w->setClienti(qobject_cast<Tfrmvideocli*>(m.programWindow(QStringLiteral("Tfrmvideocli"))));
        // The receipt template reads the sale by these names.
        VenditaInCorso& v = w->vendita();
        for (DataSet* ds : {&v.appoggio_R, &v.appoggio_I, &v.Somma}) m.printing().addDataSet(*ds);
        TMainForm* main = &m;
        w->setStampa(Tfrmsinottico::stampaCon(
            [main]() -> PrintRoutine& { return main->printing().routine(); }));
        w->setStampaDocumento(
            [main](const QString& numero, const QString& modello, const QString& titolo) {
                return stampaDocumentoPannello(*main, numero, modello, titolo);
            });
        return w;
    });
    f.insert(QStringLiteral("Tfrm_ask"), [](TMainForm& m) -> QWidget* {
        auto* ask = new Tfrm_ask(m.db(), m.zoom());
        // Created after the quick registration, which hands its searches to this window.
        if (auto* sfuso = qobject_cast<TfrmSfuso1*>(m.programWindow(QStringLiteral("TfrmSfuso1"))))
            sfuso->setRicerca(ask);
        return ask;
    });
    return f;
}

QHash<QString, CommandHandler> programCommandHandlers() {
    QHash<QString, CommandHandler> h;
    h.insert(QStringLiteral("Personalizzazionestampe1"),
             [](TMainForm& m) { m.printing().Personalizzazionestampe1Click(); });
    for (const PrintedLists::Command& c : PrintedLists::commands()) {
        const QString name = c.objectName;
        h.insert(name, [name](TMainForm& m) { m.printing().lists().run(name); });
    }
    h.insert(QStringLiteral("Inline_editor"), [](TMainForm& m) {
        // The item's check mark is the switch: off at start, not saved.
        if (QAction* a = m.action(QStringLiteral("Inline_editor")))
            m.printing().routine().setInlineEditor(a->isChecked());
    });
    return h;
}
