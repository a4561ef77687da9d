#include "stock/giornalefrm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/inifile.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "stock/esportacsv.h"
#include "stock/vireg.h"
#include "widgets/dataerror.h"
#include "widgets/datagrid.h"
#include "widgets/datefield.h"
#include "widgets/formgeometry.h"
#include "widgets/scrollbody.h"
#include "widgets/zoom.h"

namespace {

const QString kSection = QStringLiteral("TfrmGiornale");

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

DataGrid* grid(QWidget* parent, const char* name, DataSet& ds, const QList<GridColumn>& cols) {
    auto* g = named(new DataGrid(parent), name);
    g->setDataSet(ds, cols);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->horizontalHeader()->setSectionsMovable(true);
    return g;
}

// Runs a handler, showing a database error in the standard box.
template <typename F>
void guarded(F&& f) {
    try {
        f();
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

}  // namespace

TfrmGiornale::TfrmGiornale(SharedData& sd, IniFile& settings, int zoom, QWidget* parent)
    : QDialog(parent), sd_(sd), settings_(settings), giornale_(sd, this) {
    setObjectName(QStringLiteral("TfrmGiornale"));
    setWindowTitle(QStringLiteral("Movimenti di scarico registrati"));
    applyZoomFont(this, zoom);
    auto* lay = new QVBoxLayout(scrollingBody(this));
    auto* heading = named(
        new QLabel(QStringLiteral("Movimenti di scarico registrati ed ancora da esportare"), this),
        "lbl_titolo");
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    heading->setFont(big);
    lay->addWidget(heading);

    pages_ = named(new QStackedWidget(this), "PageControl1");
    lay->addWidget(pages_, 1);

    // ---- the journal
    tabNuovi_ = named(new QWidget(pages_), "tab_nuovi");
    auto* nuovi = new QVBoxLayout(tabNuovi_);
    nuovi->setContentsMargins(0, 0, 0, 0);
    tabs_ = named(new QTabWidget(tabNuovi_), "PageControl2");
    nuovi->addWidget(tabs_, 1);

    tabDocu_ = named(new QWidget(tabs_), "tab_docu");
    auto* docu = new QVBoxLayout(tabDocu_);
    dbgDocumenti_ = grid(tabDocu_, "dbgDocumenti", giornale_.documenti,
                         {{QStringLiteral("Data_Ora"), QStringLiteral("Data")},
                          {QStringLiteral("Docum_numero"), QStringLiteral("Documento")},
                          {QStringLiteral("Cliente"), {}},
                          {QStringLiteral("Cod_vino"), QStringLiteral("Codice")},
                          {QStringLiteral("Descrizione"), {}},
                          {QStringLiteral("Litri"), {}}});
    docu->addWidget(dbgDocumenti_);
    tabs_->addTab(tabDocu_, QStringLiteral("da Documenti di Trasporto e Fatture"));

    tabCorr_ = named(new QWidget(tabs_), "tab_corr");
    auto* corr = new QHBoxLayout(tabCorr_);
    dbgCorrispettivi_ = grid(tabCorr_, "dbgCorrispettivi", giornale_.corrispettivi,
                             {{QStringLiteral("Cod_vino"), QStringLiteral("Codice")},
                              {QStringLiteral("Descrizione"), {}},
                              {QStringLiteral("SommaDiLitri"), QStringLiteral("Litri totali")}});
    corr->addWidget(dbgCorrispettivi_, 3);
    auto* right = new QVBoxLayout;
    auto* head = new QGridLayout;
    head->addWidget(new QLabel(QStringLiteral("Dettaglio vendite di"), tabCorr_), 0, 0);
    dettaglioDi_ = named(new QLabel(tabCorr_), "lbl_dettaglio_descrizione");
    dettaglioDi_->setFont(big);
    head->addWidget(dettaglioDi_, 0, 1);
    head->addWidget(new QLabel(QStringLiteral("Litri"), tabCorr_), 1, 0);
    dettaglioLitri_ = named(new QLabel(tabCorr_), "lbl_dettaglio_litri");
    head->addWidget(dettaglioLitri_, 1, 1);
    right->addLayout(head);
    dbgDettaglio_ =
        grid(tabCorr_, "dbgDettaglio", giornale_.dettaglio,
             {{QStringLiteral("Data_Ora"), QStringLiteral("Data")}, {QStringLiteral("Litri"), {}}});
    right->addWidget(dbgDettaglio_, 1);
    corr->addLayout(right, 2);
    tabs_->addTab(tabCorr_, QStringLiteral("da vendite dirette (corrispettivi)"));

    // Two rows, so that every button stays in view on a narrow screen: the period, then the
    // actions.
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Movimenti dal"), tabNuovi_));
    da_ = named(new QLineEdit(tabNuovi_), "esporta_da");
    a_ = named(new QLineEdit(tabNuovi_), "esporta_a");
    for (QLineEdit* e : {da_, a_}) {
        new DateFieldCheck(e);
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);
    }
    bar->addWidget(da_);
    bar->addWidget(new QLabel(QStringLiteral("fino al"), tabNuovi_));
    bar->addWidget(a_);
    auto* actions = new QHBoxLayout;
    auto button = [this](QHBoxLayout* row, const char* name, const QString& caption) {
        auto* b = named(new QPushButton(caption, tabNuovi_), name);
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    auto* apre = button(bar, "btn_apre", QStringLiteral("&Seleziona"));
    bar->addStretch();
    auto* annulla = button(actions, "btn_annulla", QStringLiteral("&Annulla riga"));
    auto* stampa = button(actions, "btn_Stampa", QStringLiteral("Stam&pa"));
    actions->addStretch();
    auto* vireg = button(actions, "btn_esporta", QStringLiteral("Invia VIREG"));
    auto* csv = button(actions, "btn_esporta1", QStringLiteral("Invia CSV"));
    nuovi->addLayout(bar);
    nuovi->addLayout(actions);
    pages_->addWidget(tabNuovi_);

    // ---- the two export pages
    tabVireg_ = exportPage("tab_esporta_vireg", true);
    tabCsv_ = exportPage("tab_esporta_csv", false);
    pages_->addWidget(tabVireg_);
    pages_->addWidget(tabCsv_);

    connect(apre, &QPushButton::clicked, this, [this] { guarded([this] { apre_db(); }); });
    connect(annulla, &QPushButton::clicked, this, &TfrmGiornale::btn_AnnullaClick);
    connect(stampa, &QPushButton::clicked, this, &TfrmGiornale::btn_StampaClick);
    connect(vireg, &QPushButton::clicked, this, &TfrmGiornale::btn_EsportaClick);
    connect(csv, &QPushButton::clicked, this, &TfrmGiornale::btn_esporta1Click);
    connect(&giornale_.corrispettivi, &DataSet::currentChanged, this,
            &TfrmGiornale::aggiornaDettaglio);
    connect(&giornale_.corrispettivi, &DataSet::reset, this, &TfrmGiornale::aggiornaDettaglio);

    // Widths until the user sets his own, which are kept in vinorda.ini.
    auto widths = [zoom](DataGrid* g, std::initializer_list<int> w) {
        int c = 0;
        for (int px : w) g->setColumnWidth(c++, px * zoom / 100);
    };
    widths(dbgDocumenti_, {90, 120, 80, 100, 300, 80});
    widths(dbgCorrispettivi_, {100, 250, 90});
    widths(dbgDettaglio_, {100, 90});
    for (DataGrid* g : {dbgDocumenti_, dbgCorrispettivi_, dbgDettaglio_})
        g->restoreLayout(settings_, kSection);
    resize(QSize(980, 600) * zoomFactor(zoom));
    FormGeometry::fitToScreen(this);
}

QWidget* TfrmGiornale::exportPage(const char* name, bool vireg) {
    auto* page = named(new QWidget(pages_), name);
    auto* lay = new QVBoxLayout(page);
    auto* title = new QLabel(vireg ? QStringLiteral("Esportazione per il registro telematico VIREG")
                                   : QStringLiteral("Esportazione in file CSV"),
                             page);
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    lay->addWidget(title);
    const char* const names[] = {"ck_cli", "ck_prod", "ck_mov", "ck_gia"};
    const QString captions[] = {QStringLiteral("Esporta elenco clienti"),
                                QStringLiteral("Esporta elenco prodotti vinicoli"),
                                QStringLiteral("Esporta movimenti"),
                                QStringLiteral("Esporta giacenze attuali per verifica")};
    for (int i = 0; i < 4; ++i) {
        auto* ck = new QCheckBox(captions[i], page);
        ck->setObjectName(QString::fromLatin1(names[i]) +
                          (vireg ? QString() : QStringLiteral("1")));
        lay->addWidget(ck);
    }
    if (vireg) {
        lay->addWidget(named(
            new QCheckBox(QStringLiteral("Esporta giacenze attuali  per carico iniziale"), page),
            "ck_carico"));
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("data da utilizzare"), page));
        auto* d = named(new QLineEdit(page), "data1");
        new DateFieldCheck(d);
        d->setMaximumWidth(d->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);
        row->addWidget(d);
        row->addStretch();
        lay->addLayout(row);
    }
    auto* crea = named(new QPushButton(QStringLiteral("Crea file di esportazione"), page),
                       vireg ? "btn_esporta_vireg" : "btn_esporta_csv");
    crea->setAutoDefault(false);
    connect(crea, &QPushButton::clicked, this,
            vireg ? &TfrmGiornale::btn_esporta_viregClick : &TfrmGiornale::ExplorerButton3Click);
    lay->addWidget(crea, 0, Qt::AlignLeft);
    lay->addStretch();
    lay->addWidget(
        new QLabel(QStringLiteral("Cancella le righe del giornale del periodo selezionato"), page));
    auto* row = new QHBoxLayout;
    auto* ok = named(new QPushButton(QStringLiteral("Esportazione OK"), page),
                     vireg ? "btn_ok_vireg" : "btn_ok_csv");
    ok->setAutoDefault(false);
    auto* back = named(new QToolButton(page), vireg ? "SpeedButton2" : "SpeedButton1");
    back->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    back->setToolTip(QStringLiteral("Torna al giornale"));
    row->addWidget(ok);
    row->addStretch();
    row->addWidget(back);
    lay->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &TfrmGiornale::btn_ok_viregClick);
    connect(back, &QToolButton::clicked, this, &TfrmGiornale::SpeedButton1Click);
    return page;
}

void TfrmGiornale::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmGiornale::done(int r) {
    FormClose();
    QDialog::done(r);
}

void TfrmGiornale::periodoDaCampi() {
    giornale_.esportaDa = da_->text().trimmed();
    giornale_.esportaA = a_->text().trimmed();
}

void TfrmGiornale::periodoNeiCampi() {
    da_->setText(giornale_.esportaDa);
    a_->setText(giornale_.esportaA);
}

void TfrmGiornale::aggiornaDettaglio() {
    DataSet& c = giornale_.corrispettivi;
    const bool any = c.isOpen() && !c.isEmpty();
    dettaglioDi_->setText(any ? c.field(QStringLiteral("Descrizione")).asString() : QString());
    dettaglioLitri_->setText(any ? c.field(QStringLiteral("SommaDiLitri")).displayText()
                                 : QString());
}

void TfrmGiornale::FormShow() {
    pages_->setCurrentWidget(tabNuovi_);
    guarded([this] {
        giornale_.FormShow();
        periodoNeiCampi();
    });
}

void TfrmGiornale::FormClose() {
    for (DataGrid* g : {dbgDocumenti_, dbgCorrispettivi_, dbgDettaglio_})
        g->saveLayout(settings_, kSection);
    if (!settings_.path().isEmpty()) settings_.save();
    giornale_.FormClose();
}

void TfrmGiornale::apre_db() {
    periodoDaCampi();
    giornale_.apre_db();
}

void TfrmGiornale::btn_AnnullaClick() {
    guarded([this] {
        if (tabs_->currentWidget() == tabDocu_)
            giornale_.annullaDocumento();
        else
            giornale_.annullaCorrispettivo();
    });
}

void TfrmGiornale::btn_StampaClick() {
    guarded([this] { giornale_.stampa(); });
}

void TfrmGiornale::btn_EsportaClick() {
    pages_->setCurrentWidget(tabVireg_);
}
void TfrmGiornale::btn_esporta1Click() {
    pages_->setCurrentWidget(tabCsv_);
}
void TfrmGiornale::SpeedButton1Click() {
    pages_->setCurrentWidget(tabNuovi_);
}

void TfrmGiornale::btn_ok_viregClick() {
    guarded([this] {
        periodoDaCampi();
        if (giornale_.esportazioneOk()) pages_->setCurrentWidget(tabNuovi_);
    });
}

bool TfrmGiornale::spuntato(const char* name) const {
    const auto* ck = findChild<QCheckBox*>(QString::fromLatin1(name));
    return ck && ck->isChecked();
}

QString TfrmGiornale::cartellaEsportazione() const {
    return cartella_ ? cartella_() : sd_.db.folder();
}

void TfrmGiornale::esporta(const QString& label,
                           const std::function<EsitoEsportazione(const Avanzamento&)>& run) {
    // A long export shows how far it is and may be stopped; the window takes no input meanwhile.
    QProgressDialog progress(label, QStringLiteral("Interrompi"), 0, 1000, this);
    progress.setObjectName(QStringLiteral("avanzamento_esportazione"));
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoReset(false);
    progress.setValue(0);
    const Avanzamento avanzamento = [&progress](qint64 fatte, qint64 totale) {
        progress.setValue(totale > 0 ? int(qMin<qint64>(1000, fatte * 1000 / totale)) : 0);
        return !progress.wasCanceled();
    };
    EsitoEsportazione esito;
    guarded([&] { esito = run(avanzamento); });
    progress.close();
    if (!esito.nome.isEmpty()) mostraEsito(esito);
}

void TfrmGiornale::btn_esporta_viregClick() {
    SezioniVireg s;
    s.clienti = spuntato("ck_cli");
    s.prodotti = spuntato("ck_prod");
    s.movimenti = spuntato("ck_mov");
    s.giacenze = spuntato("ck_gia");
    s.carico = spuntato("ck_carico");
    if (s.carico) {
        const auto* data1 = findChild<QLineEdit*>(QStringLiteral("data1"));
        const QString errore = controllaDataCarico(data1->text(), &s.dataCarico);
        if (!errore.isEmpty()) {
            Mymsg::message(errore);
            return;
        }
    }
    const PeriodoViste periodo = PeriodoViste::diGiornale(giornale_);
    esporta(QStringLiteral("Creazione del file per VIREG..."), [&](const Avanzamento& a) {
        return esportaVireg(sd_.db, cartellaEsportazione(), periodo, s, orologio_, a);
    });
}

void TfrmGiornale::ExplorerButton3Click() {
    SezioniCsv s;
    s.clienti = spuntato("ck_cli1");
    s.prodotti = spuntato("ck_prod1");
    s.movimenti = spuntato("ck_mov1");
    s.giacenze = spuntato("ck_gia1");
    const PeriodoViste periodo = PeriodoViste::diGiornale(giornale_);
    esporta(QStringLiteral("Creazione dei file CSV..."), [&](const Avanzamento& a) {
        return esportaCsv(sd_.db, cartellaEsportazione(), periodo, s, orologio_, a);
    });
}
