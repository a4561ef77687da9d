#include "masterdata/frmclienti.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/inifile.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "masterdata/masterdata_rules.h"
#include "masterdata/uicommon.h"
#include "widgets/buttons.h"
#include "widgets/dataerror.h"
#include "widgets/datagrid.h"
#include "widgets/edittoggle.h"
#include "widgets/escape.h"
#include "widgets/fieldlinks.h"
#include "widgets/formgeometry.h"
#include "widgets/navigator.h"
#include "widgets/scrollbody.h"

TfrmClienti::TfrmClienti(SharedData& sd, IniFile& layout, int zoomPercent, QWidget* parent)
    : QDialog(parent), sd_(sd), layout_(layout) {
    setObjectName(QStringLiteral("TfrmClienti"));
    setWindowTitle(QStringLiteral("Anagrafiche"));
    setModal(true);
    attachMasterDataRules(sd_);
    applyZoomFont(this, zoomPercent);
    auto* main = new QVBoxLayout(scrollingBody(this));

    auto* bar = new QHBoxLayout;
    btnNuovo_ = barButton(this, bar, "btn_nuovo", ImgNuovo, QStringLiteral("Nuovo"));
    btnCancella_ = barButton(this, bar, "btn_cancella", ImgCancella, QStringLiteral("Cancella"));
    btnModifica_ = barButton(this, bar, "btn_modifica", ImgModifica, QStringLiteral("Modifica"));
    btnLista_ = barButton(this, bar, "btn_lista", ImgLista, QStringLiteral("Lista"));
    btnFine_ = barButton(this, bar, "btn_fine", ImgChiudi, QStringLiteral("Chiudi"));
    btnLista_->setCheckable(true);
    lblModifica_ = new QLabel(this);
    lblModifica_->setObjectName(QStringLiteral("lbl_modifica"));
    bar->addSpacing(12);
    bar->addWidget(lblModifica_);
    bar->addStretch();
    nav_ = new RecordNavigator(this);
    nav_->setObjectName(QStringLiteral("DBNavigator1"));
    nav_->setDataSet(&sd_.Clienti);
    bar->addWidget(nav_);
    main->addLayout(bar);

    notebook_ = new QStackedWidget(this);
    notebook_->setObjectName(QStringLiteral("Notebook1"));
    notebook_->addWidget(buildCard());
    notebook_->addWidget(buildList());
    main->addWidget(notebook_, 1);

    toggle_ =
        new EditToggle(btnModifica_, lblModifica_, sd_.Clienti, {btnNuovo_, btnCancella_}, this);
    connect(btnNuovo_, &QPushButton::clicked, this, [this] { btn_nuovoClick(); });
    connect(btnCancella_, &QPushButton::clicked, this, [this] { btn_cancellaClick(); });
    connect(btnLista_, &QPushButton::clicked, this, [this](bool on) { btn_listaClick(on); });
    connect(btnFine_, &QPushButton::clicked, this, &QDialog::accept);
    connect(&sd_.Clienti, &DataSet::stateChanged, this, [this] { followCodeLock(); });
    followCodeLock();

    resize(QSize(980, 600) * zoomFactor(zoomPercent));
    FormGeometry::fitToScreen(this);
    grid_->restoreLayout(layout_, section());
    FormGeometry::restore(this, section(), layout_);
    // Esc while a customer is in edit abandons it; otherwise it closes the window.
    new EscapeAbandonsEdit(this, {&sd_.Clienti});
}

QWidget* TfrmClienti::buildCard() {
    pageCard_ = new QWidget;
    pageCard_->setObjectName(QStringLiteral("SINGOLO"));
    auto* g = new QGridLayout(pageCard_);
    DataSet& ds = sd_.Clienti;
    auto edit = [&](const char* field, int maxChars = 0, bool upper = false) {
        auto* e = new QLineEdit(pageCard_);
        e->setObjectName(QString::fromLatin1(field));
        auto* link = new LineEditLink(ds, e->objectName(), e, upper);
        if (maxChars > 0) e->setMaximumWidth(e->fontMetrics().averageCharWidth() * maxChars + 16);
        return std::make_pair(e, link);
    };
    auto add = [&](int row, int col, const QString& label, QWidget* w, int span = 1) {
        g->addWidget(fieldLabel(label, w, pageCard_), row, col);
        g->addWidget(w, row, col + 1, 1, span);
    };
    auto [codice, codiceLink] = edit("Codice", 32, true);
    codice_ = codice;
    codiceLink_ = codiceLink;
    add(0, 0, QStringLiteral("Codice"), codice_);
    auto* giur = new QComboBox(pageCard_);
    giur->setObjectName(QStringLiteral("Giur_Pers"));
    new ComboLink(ds, QStringLiteral("Giur_Pers"), giur, giurPersChoices());
    g->addWidget(giur, 0, 3);
    add(1, 0, QStringLiteral("Ragione Sociale"), edit("RagioneSociale").first, 3);
    add(2, 0, QStringLiteral("Nome"), edit("Nome").first);
    add(2, 2, QStringLiteral("Cognome"), edit("Cognome").first);
    add(3, 0, QStringLiteral("Indirizzo"), edit("Indirizzo").first);
    add(3, 2, QStringLiteral("Num."), edit("Ncivico", 11).first);
    add(4, 0, QStringLiteral("Città"), edit("Citta").first);
    auto* locality = new QHBoxLayout;
    auto* prov = edit("Prov", 3, true).first;
    auto* cap = edit("CAP", 10).first;
    auto* naz = edit("SiglaNaz", 10, true).first;
    locality->addWidget(prov);
    locality->addWidget(fieldLabel(QStringLiteral("CAP"), cap, pageCard_));
    locality->addWidget(cap);
    locality->addWidget(fieldLabel(QStringLiteral("Nazione"), naz, pageCard_));
    locality->addWidget(naz);
    locality->addStretch();
    g->addWidget(fieldLabel(QStringLiteral("Prov."), prov, pageCard_), 4, 2);
    g->addLayout(locality, 4, 3);
    add(5, 0, QStringLiteral("Codice Fiscale"), edit("CodiceFiscale", 18, true).first);
    add(5, 2, QStringLiteral("Partita IVA"), edit("PartitaIVA", 30).first);
    add(6, 0, QStringLiteral("Telefono1"), edit("Telefono1").first);
    add(6, 2, QStringLiteral("FAX"), edit("FAX").first);
    add(7, 0, QStringLiteral("Telefono2"), edit("Telefono2").first);
    add(7, 2, QStringLiteral("Email / Agente"), edit("Email").first);
    add(8, 0, QStringLiteral("Telefono3"), edit("Telefono3").first);
    add(8, 2, QStringLiteral("Trasportatore"), edit("Riferimento").first);
    add(9, 0, QStringLiteral("IBAN"), edit("IBAN").first);
    auto* pag = new QComboBox(pageCard_);
    pag->setObjectName(QStringLiteral("Pagamento"));
    new SuggestComboLink(ds, QStringLiteral("Pagamento"), pag, pagamentoChoices());
    add(9, 2, QStringLiteral("Codice Pagam."), pag);
    auto* iva = new QComboBox(pageCard_);
    iva->setObjectName(QStringLiteral("IVA"));
    ivaLink_ = new ComboLink(ds, QStringLiteral("IVA"), iva);
    add(10, 0, QStringLiteral("Aliq. iva"), iva);
    auto* sconto = new QLineEdit(pageCard_);
    sconto->setObjectName(QStringLiteral("Sconto"));
    sconto->setMaximumWidth(90);
    new NumberEditLink(ds, QStringLiteral("Sconto"), sconto);
    add(10, 2, QStringLiteral("Sconto"), sconto);

    auto* box = new QGroupBox(QStringLiteral(" Listino "), pageCard_);
    box->setObjectName(QStringLiteral("Listino"));
    auto* bl = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    QStringList values;
    int id = 0;
    for (const auto& c : listinoChoices()) {
        auto* rb = new QRadioButton(c.second, box);
        rb->setObjectName(QStringLiteral("Listino_") + c.first);
        group->addButton(rb, id++);
        bl->addWidget(rb);
        values << c.first;
    }
    new RadioGroupLink(ds, QStringLiteral("Listino"), box, group, values);
    g->addWidget(box, 11, 1, 1, 3);

    auto* note = new QPlainTextEdit(pageCard_);
    note->setObjectName(QStringLiteral("Note"));
    new MemoLink(ds, QStringLiteral("Note"), note);
    g->addWidget(fieldLabel(QStringLiteral("Annotazioni"), note, pageCard_), 12, 0, Qt::AlignTop);
    g->addWidget(note, 12, 1, 1, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    g->setRowStretch(12, 1);
    return pageCard_;
}

QWidget* TfrmClienti::buildList() {
    pageList_ = new QWidget;
    pageList_->setObjectName(QStringLiteral("LISTA"));
    auto* v = new QVBoxLayout(pageList_);
    grid_ = new DataGrid(pageList_);
    grid_->setObjectName(QStringLiteral("ClientiGrid"));
    QList<GridColumn> cols;
    for (const char* f :
         {"Codice",    "RagioneSociale", "Indirizzo", "Ncivico", "CAP",        "Citta",
          "Prov",      "Giur_Pers",      "Nome",      "Cognome", "PartitaIVA", "CodiceFiscale",
          "Telefono1", "Telefono2",      "Telefono3", "FAX",     "Email",      "Riferimento",
          "Note",      "IBAN",           "Pagamento", "IVA",     "Listino",    "Sconto"}) {
        GridColumn c;
        c.field = QString::fromLatin1(f);
        c.hidden = c.field == u"Note";
        c.readOnly = c.field == u"Codice";
        cols << c;
    }
    grid_->setDataSet(sd_.Clienti, cols);
    connect(grid_, &DataGrid::cellClicked, this,
            [this](const QString& f) { ClientiGridCellClick(f); });
    connect(grid_, &DataGrid::titleClicked, this,
            [this](const QString& f) { ClientiGridTitleClick(f); });
    v->addWidget(grid_, 1);

    auto* bar = new QHBoxLayout;
    lblCampoRicerca_ = new QLabel(pageList_);
    lblCampoRicerca_->setObjectName(QStringLiteral("lblCampoRicerca"));
    lblCampoRicerca1_ = new QLabel(pageList_);
    lblCampoRicerca1_->setObjectName(QStringLiteral("lblCampoRicerca1"));
    lblCampoRicerca1_->setVisible(false);
    ediRicerca_ = new QLineEdit(pageList_);
    ediRicerca_->setObjectName(QStringLiteral("ediRicerca"));
    filtro_ = new QToolButton(pageList_);
    filtro_->setObjectName(QStringLiteral("SpeedButton1"));
    filtro_->setText(QStringLiteral("&Filtro"));
    filtro_->setCheckable(true);
    filtro_->setMinimumWidth(80);
    bar->addWidget(lblCampoRicerca_);
    bar->addWidget(lblCampoRicerca1_);
    bar->addWidget(ediRicerca_, 1);
    bar->addWidget(filtro_);
    v->addLayout(bar);
    setSearchColumn(QStringLiteral("RagioneSociale"));
    connect(ediRicerca_, &QLineEdit::textChanged, this, [this](const QString& t) {
        // The search text is always upper case.
        if (t != t.toUpper()) {
            const int pos = ediRicerca_->cursorPosition();
            ediRicerca_->setText(t.toUpper());
            ediRicerca_->setCursorPosition(pos);
            return;
        }
        ediRicercaChange();
    });
    connect(filtro_, &QToolButton::clicked, this, [this](bool on) { SpeedButton1Click(on); });
    return pageList_;
}

void TfrmClienti::followCodeLock() {
    const bool editable = MasterDataRules::customerCodeEditable(sd_.Clienti);
    codiceLink_->setLocked(!editable);
    grid_->dataModel()->setColumnReadOnly(QStringLiteral("Codice"), !editable);
}

void TfrmClienti::setSearchColumn(const QString& field) {
    const int c = grid_->dataModel()->columnOf(field);
    if (c < 0) return;
    lblCampoRicerca1_->setText(field);
    lblCampoRicerca_->setText(grid_->dataModel()->columnTitle(c));
}

void TfrmClienti::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) FormActivate();
    QDialog::showEvent(e);
}

void TfrmClienti::FormActivate() {
    ediRicerca_->clear();
    notebook_->setCurrentWidget(pageCard_);
    btnLista_->setChecked(false);
    imposta_pulsanti(btnLista_, ImgLista, QStringLiteral("Lista"));
    Choices iva{{QString(), QString()}};
    try {
        for (const QString& code : ivaCodes(sd_.db)) iva << qMakePair(code, code);
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    ivaLink_->setChoices(iva);
    if (sd_.Clienti.isFiltered()) sd_.Clienti.setFiltered(false);
    filtro_->setChecked(false);
    // The table stays read-only until "Modifica".
    toggle_->showOff();
    sd_.Clienti.setReadOnly(true);
}

void TfrmClienti::btn_nuovoClick() {
    btnLista_->setChecked(false);
    imposta_pulsanti(btnLista_, ImgLista, QStringLiteral("Lista"));
    notebook_->setCurrentWidget(pageCard_);
    try {
        if (!sd_.Clienti.checkBrowseMode()) return;
        sd_.Clienti.append();
        if (!sd_.Clienti.isEditing()) return;
        sd_.Clienti.field(QStringLiteral("Listino")).setValue(QStringLiteral("1"));
    } catch (const DatabaseError& err) {
        showDataError(err);
        return;
    }
    followCodeLock();
    codice_->setFocus();
}

void TfrmClienti::btn_cancellaClick() {
    try {
        if (sd_.Clienti.isOpen() && (sd_.Clienti.isEditing() || !sd_.Clienti.isEmpty()))
            sd_.Clienti.remove();
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

void TfrmClienti::btn_listaClick(bool pressed) {
    btnLista_->setChecked(pressed);
    if (pressed) {
        imposta_pulsanti(btnLista_, ImgScheda, QStringLiteral("Scheda"));
        setSearchColumn(QStringLiteral("RagioneSociale"));
        notebook_->setCurrentWidget(pageList_);
        grid_->setFocus();
        grid_->focusField(QStringLiteral("RagioneSociale"));
    } else {
        imposta_pulsanti(btnLista_, ImgLista, QStringLiteral("Lista"));
        notebook_->setCurrentWidget(pageCard_);
    }
}

void TfrmClienti::ClientiGridCellClick(const QString& field) {
    setSearchColumn(field);
}

void TfrmClienti::ClientiGridTitleClick(const QString& field) {
    try {
        if (sd_.Clienti.checkBrowseMode()) sd_.Clienti.sortBy(field);
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

void TfrmClienti::ediRicercaChange() {
    filtro_->setChecked(false);
    // The rows are in memory: switching the filter off shows every customer again.
    if (sd_.Clienti.isOpen() && sd_.Clienti.isFiltered()) sd_.Clienti.setFiltered(false);
}

void TfrmClienti::SpeedButton1Click(bool pressed) {
    filtro_->setChecked(pressed);
    if (!sd_.Clienti.isOpen()) return;
    try {
        if (!pressed) {
            sd_.Clienti.setFiltered(false);
            return;
        }
        MasterDataRules& rules = attachMasterDataRules(sd_);
        rules.search = {lblCampoRicerca1_->text(), ediRicerca_->text()};
        sd_.filtroClienti = QLatin1Char('A');
        // setFiltered re-applies the filter even when it was already on.
        sd_.Clienti.setFiltered(true);
        if (sd_.Clienti.isFiltered() && sd_.Clienti.isEmpty()) {
            Mymsg::message(QStringLiteral("  Nessuna scheda trovata !  "));
            filtro_->setChecked(false);
            sd_.Clienti.setFiltered(false);
        }
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
}

bool TfrmClienti::FormClose() {
    if (!toggle_->setOn(false)) return false;
    try {
        filtro_->setChecked(false);
        if (sd_.Clienti.isOpen()) {
            if (sd_.Clienti.isFiltered()) sd_.Clienti.setFiltered(false);
            if (sd_.Clienti.sortField() != u"RagioneSociale")
                sd_.Clienti.sortBy(QStringLiteral("RagioneSociale"));
        } else {
            sd_.Clienti.sortBy(QStringLiteral("RagioneSociale"));
        }
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    grid_->saveLayout(layout_, section());
    FormGeometry::save(this, section(), layout_);
    return true;
}

void TfrmClienti::done(int r) {
    if (!FormClose()) return;
    QDialog::done(r);
}
