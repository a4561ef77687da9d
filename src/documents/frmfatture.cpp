#include "documents/frmfatture.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "documents/duedates.h"
#include "documents/kinds.h"
#include "documents/numbering.h"
#include "masterdata/masterdata_rules.h"
#include "masterdata/uicommon.h"
#include "widgets/buttons.h"
#include "widgets/dataerror.h"
#include "widgets/datagrid.h"
#include "widgets/edittoggle.h"
#include "widgets/fieldlinks.h"
#include "widgets/formgeometry.h"
#include "widgets/navigator.h"
#include "widgets/zoom.h"

namespace {
const char* const annoItems[] = {"Tutti i documenti", "Solo anno in corso"};
const char* const tipoItems[] = {"Tutti", "Doc.Accomp.", "Fatture", "Ricevute"};
const char* const tipoCodes[] = {"", "B", "F", "N"};

// A field shown as the lists show it (its display format), never typed into.
class DisplayLink : public FieldLink {
public:
    DisplayLink(DataSet& ds, const QString& field, QLineEdit* edit)
        : FieldLink(ds, field, edit), edit_(edit) {
        edit_->setReadOnly(true);
        edit_->setFocusPolicy(Qt::ClickFocus);
        refresh();
    }

protected:
    void showValue(const Field* f) override { edit_->setText(f ? f->displayText() : QString()); }
    void applyReadOnly(bool) override { edit_->setReadOnly(true); }

private:
    QLineEdit* edit_;
};

QLineEdit* lineEdit(QWidget* parent, const QString& name, int chars = 0) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    if (chars > 0) e->setMaximumWidth(e->fontMetrics().averageCharWidth() * chars + 16);
    return e;
}

QStringList commaList(const QString& text) {
    QStringList out;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!item.trimmed().isEmpty()) out << item.trimmed();
    return out;
}
}  // namespace

// The pick list of a grid column: an editable drop-down with the column's choices.
class PickListDelegate : public QStyledItemDelegate {
public:
    PickListDelegate(const QStringList& items, QObject* parent)
        : QStyledItemDelegate(parent), items_(items) {}
    void setItems(const QStringList& items) { items_ = items; }
    const QStringList& items() const { return items_; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* c = new QComboBox(parent);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->addItems(items_);
        return c;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* c = static_cast<QComboBox*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        c->setCurrentIndex(c->findText(text));
        c->setEditText(text);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }

private:
    QStringList items_;
};

TfrmFatture::TfrmFatture(SharedData& sd, IniFile& settings, IniFile& layout, int zoomPercent,
                         QWidget* parent)
    : QDialog(parent),
      sd_(sd),
      rules_(attachDocumentRules(sd)),
      settings_(settings),
      layout_(layout),
      intestaFatt_(sd.db, QStringLiteral("Intesta_Fatt"), this),
      ricevimento_(sd.db, QStringLiteral("Ricevimento"), this) {
    setObjectName(QStringLiteral("TfrmFatture"));
    setWindowTitle(QStringLiteral("Fatture e Documenti di Trasporto"));
    setModal(true);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->addWidget(buildTopPanel());

    notebook_ = new QStackedWidget(this);
    notebook_->setObjectName(QStringLiteral("Notebook1"));
    notebook_->addWidget(buildSingolo());
    notebook_->addWidget(buildLista());
    notebook_->addWidget(buildNuovo());
    main->addWidget(notebook_, 1);

    toggle_ =
        new EditToggle(btnModifica_, lblModifica_, sd_.Fatture, {btnNuovo_, btnCancella_}, this);
    toggle_->setSaveHook([this] { return saveLineAndHeader(); });
    connect(toggle_, &EditToggle::switched, this, [this](bool on) {
        sd_.righe.setReadOnly(!on);
        try {
            if (sd_.righe.isOpen()) sd_.righe.refresh();
        } catch (const DatabaseError& e) {
            showDataError(e);
        }
    });
    connect(btnNuovo_, &QPushButton::clicked, this, [this] { btn_nuovoClick(); });
    connect(btnCancella_, &QPushButton::clicked, this, [this] { btn_cancellaClick(); });
    connect(btnLista_, &QPushButton::clicked, this, [this](bool on) { btn_listaClick(on); });
    connect(btnStampa_, &QPushButton::clicked, this, [this] { btn_stampaClick(); });
    connect(btnFine_, &QPushButton::clicked, this, &QDialog::accept);

    // The header's data change: the import button follows the kind of the current header.
    auto dataChange = [this] { DataFattureDataChange(); };
    connect(&sd_.Fatture, &DataSet::reset, this, dataChange);
    connect(&sd_.Fatture, &DataSet::currentChanged, this, dataChange);
    connect(&sd_.Fatture, &DataSet::stateChanged, this, dataChange);
    connect(&sd_.Fatture, &DataSet::rowChanged, this, dataChange);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget* old, QWidget* now) { followTabFocus(old, now); });

    // The headers are listed in number order; a title click may change it until the window
    // closes.
    if (sd_.Fatture.sortField().isEmpty()) sd_.Fatture.sortBy(QStringLiteral("Docum_numero"));

    restoreFilters();
    toggle_->showOff();
    DataFattureDataChange();
    resize(1000, 700);
    applyZoom(this, zoomPercent);
    dbgRighe_->restoreLayout(layout_, geometrySection());
    dbgFatture_->restoreLayout(layout_, geometrySection());
    FormGeometry::restore(this, geometrySection(), layout_);
}

// ---- building -------------------------------------------------------------------------------

QWidget* TfrmFatture::buildTopPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PanelTop"));
    auto* bar = new QHBoxLayout(panel);
    bar->setContentsMargins(0, 0, 0, 0);
    btnNuovo_ = barButton(panel, bar, "btn_nuovo", ImgNuovo, QStringLiteral("Nuovo"));
    btnCancella_ = barButton(panel, bar, "btn_cancella", ImgCancella, QStringLiteral("Cancella"));
    btnModifica_ = barButton(panel, bar, "btn_modifica", ImgModifica, QStringLiteral("Modifica"));
    lblModifica_ = new QLabel(panel);
    lblModifica_->setObjectName(QStringLiteral("lbl_modifica"));
    bar->addWidget(lblModifica_);
    bar->addSpacing(6);
    btnLista_ = barButton(panel, bar, "btn_lista", ImgLista, QStringLiteral("Lista"));
    btnLista_->setCheckable(true);
    btnStampa_ = barButton(panel, bar, "btn_stampa", ImgStampa, QStringLiteral("Stampa"));
    btnFine_ = barButton(panel, bar, "btn_fine", ImgChiudi, QStringLiteral("Chiudi"));
    bar->addSpacing(6);
    nav_ = new RecordNavigator(panel);
    nav_->setObjectName(QStringLiteral("DBNav"));
    nav_->setDataSet(&sd_.Fatture);
    bar->addWidget(nav_);
    bar->addStretch();

    auto* filters = new QGridLayout;
    filters->setVerticalSpacing(2);
    selAnno_ = new QComboBox(panel);
    selAnno_->setObjectName(QStringLiteral("sel_anno"));
    for (const char* i : annoItems) selAnno_->addItem(QString::fromUtf8(i));
    selTipo_ = new QComboBox(panel);
    selTipo_->setObjectName(QStringLiteral("sel_tipo"));
    for (const char* i : tipoItems) selTipo_->addItem(QString::fromUtf8(i));
    filters->addWidget(fieldLabel(QStringLiteral("sel.anno"), selAnno_, panel), 0, 0);
    filters->addWidget(selAnno_, 0, 1);
    filters->addWidget(fieldLabel(QStringLiteral("sel.tipo"), selTipo_, panel), 1, 0);
    filters->addWidget(selTipo_, 1, 1);
    bar->addLayout(filters);
    connect(selAnno_, &QComboBox::activated, this, [this] { sel_annoChange(); });
    connect(selTipo_, &QComboBox::activated, this, [this] { sel_tipoChange(); });
    return panel;
}

QWidget* TfrmFatture::buildSingolo() {
    pageSingolo_ = new QWidget;
    pageSingolo_->setObjectName(QStringLiteral("SINGOLO"));
    auto* v = new QVBoxLayout(pageSingolo_);
    v->setContentsMargins(0, 0, 0, 0);
    pageControl_ = new QTabWidget(pageSingolo_);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->addTab(buildIntestazione(), QStringLiteral("&Intestazione"));
    pageControl_->addTab(buildRighe(), QStringLiteral("&Righe"));
    pageControl_->addTab(buildTrasporto(), QStringLiteral("Trasporto"));
    connect(pageControl_, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
    v->addWidget(pageControl_);
    return pageSingolo_;
}

QWidget* TfrmFatture::buildIntestazione() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabIntestazione"));
    DataSet& f = sd_.Fatture;
    auto* g = new QGridLayout(page);

    // Number, date and kind of the document.
    auto* top = new QHBoxLayout;
    auto* num = lineEdit(page, QStringLiteral("Num_fattura"), 8);
    new DisplayLink(f, QStringLiteral("Num_fattura"), num);
    // Wide enough for a date stored with its time (documents written by older programs).
    auto* data = lineEdit(page, QStringLiteral("Data"), 19);
    new DisplayLink(f, QStringLiteral("Data"), data);
    top->addWidget(fieldLabel(QStringLiteral("Num. Documento"), num, page));
    top->addWidget(num);
    top->addSpacing(8);
    top->addWidget(fieldLabel(QStringLiteral("Data"), data, page));
    top->addWidget(data);
    top->addStretch();
    g->addLayout(top, 0, 0, 1, 2);

    // Customer and place of delivery, from their views.
    auto party = [&](const QString& title, const char* name, DataSet& ds, const QString& prefix) {
        auto* box = new QGroupBox(title, page);
        box->setObjectName(QString::fromLatin1(name));
        auto* form = new QFormLayout(box);
        form->setContentsMargins(6, 4, 6, 4);
        form->setVerticalSpacing(2);
        for (const char* field : {"RagioneSociale", "Indirizzo", "Citta"}) {
            auto* e = lineEdit(box, prefix + QString::fromLatin1(field));
            new DisplayLink(ds, QString::fromLatin1(field), e);
            form->addRow(e);
        }
        return std::make_pair(box, form);
    };
    auto [cliBox, cliForm] =
        party(QStringLiteral("Cliente"), "Cliente", sd_.clifatt, QStringLiteral("cli_"));
    auto* iban = lineEdit(cliBox, QStringLiteral("cli_IBAN"));
    new DisplayLink(sd_.clifatt, QStringLiteral("IBAN"), iban);
    cliForm->addRow(QStringLiteral("Banca di appoggio"), iban);
    auto* pagamento = lineEdit(cliBox, QStringLiteral("cli_Pagamento"));
    new DisplayLink(sd_.clifatt, QStringLiteral("Pagamento"), pagamento);
    cliForm->addRow(QStringLiteral("Pagamento"), pagamento);
    auto [destBox, destForm] = party(QStringLiteral("Destinazione"), "Destinazione", sd_.destfatt,
                                     QStringLiteral("dest_"));
    Q_UNUSED(destForm);

    auto* scad = new QGroupBox(QStringLiteral("Scadenze"), page);
    scad->setObjectName(QStringLiteral("Scadenze"));
    auto* sl = new QGridLayout(scad);
    sl->setContentsMargins(6, 4, 6, 4);
    auto* scadenza = lineEdit(scad, QStringLiteral("Scadenza"));
    new LineEditLink(f, QStringLiteral("Scadenza"), scadenza);
    auto* ricalcola = new QPushButton(QStringLiteral("Ricalcola scadenza"), scad);
    ricalcola->setObjectName(QStringLiteral("BitBtn1"));
    ricalcola->setToolTip(QStringLiteral("Ricalcola scadenza"));
    ricalcola->setAutoDefault(false);
    daDdt_ = new QPushButton(QStringLiteral("Importazione da DDT"), scad);
    daDdt_->setObjectName(QStringLiteral("Da_ddt"));
    daDdt_->setAutoDefault(false);
    sl->addWidget(scadenza, 0, 0, 1, 2);
    sl->addWidget(ricalcola, 1, 0);
    sl->addWidget(daDdt_, 1, 1);
    connect(ricalcola, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(daDdt_, &QPushButton::clicked, this, [this] { Da_ddtClick(); });

    auto* left = new QVBoxLayout;
    left->addWidget(cliBox);
    left->addWidget(destBox);
    left->addWidget(scad);
    left->addStretch();
    g->addLayout(left, 1, 0);

    // The VAT table: four rates with their taxable amounts, discounts and tax.
    auto* vat = new QGroupBox(page);
    vat->setObjectName(QStringLiteral("TabellaIVA"));
    auto* vl = new QGridLayout(vat);
    vl->setContentsMargins(6, 4, 6, 4);
    vl->setHorizontalSpacing(4);
    vl->setVerticalSpacing(2);
    const QStringList titles{QStringLiteral("Aliquote"),     QString(),
                             QStringLiteral("Imponibili €"), QStringLiteral("%sc."),
                             QStringLiteral("Sconto €"),     QStringLiteral("IVA €")};
    for (int c = 0; c < titles.size(); ++c) {
        if (titles[c].isEmpty()) continue;
        auto* t = new QLabel(titles[c], vat);
        t->setAlignment(Qt::AlignCenter);
        vl->addWidget(t, 0, c, 1, c == 0 ? 2 : 1);  // the code and its rate
    }
    for (int n = 1; n <= 4; ++n) {
        const QString k = QString::number(n);
        int c = 0;
        for (const char* field : {"ALIVA", "I", "IMP", "SC", "TOTSC", "IVA"}) {
            const QString name = QString::fromLatin1(field) + k;
            const bool narrow = c < 2 || c == 3;
            auto* e = lineEdit(vat, name, narrow ? 6 : 0);
            e->setMinimumWidth(e->fontMetrics().averageCharWidth() * (narrow ? 5 : 11));
            e->setAlignment(Qt::AlignRight);
            if (c == 3)
                new NumberEditLink(f, name, e);  // the slot discount is typed
            else
                new DisplayLink(f, name, e);
            vl->addWidget(e, n, c++);
        }
    }
    vl->setColumnStretch(2, 1);
    vl->setColumnStretch(4, 1);
    vl->setColumnStretch(5, 1);

    auto* totals = new QGridLayout;
    int row = 0, col = 0;
    for (const auto& [field, caption] :
         {std::pair{"Tot_Imponibile", "tot. imponibile"}, std::pair{"Tot_sconto", "totale sconto"},
          std::pair{"Tot_Iva", "totale IVA"}, std::pair{"Totale", "totale fattura"}}) {
        auto* e = lineEdit(page, QString::fromLatin1(field));
        e->setAlignment(Qt::AlignRight);
        new DisplayLink(f, QString::fromLatin1(field), e);
        totals->addWidget(fieldLabel(QString::fromUtf8(caption), e, page), row, col);
        totals->addWidget(e, row, col + 1);
        col += 2;
        if (col == 4) {
            col = 0;
            ++row;
        }
    }
    auto* memo = new QPlainTextEdit(page);
    memo->setObjectName(QStringLiteral("Riferimento"));
    memo->setTabChangesFocus(true);
    new MemoLink(f, QStringLiteral("Riferimento"), memo);

    auto* descr = lineEdit(page, QStringLiteral("Doc_descr"), 24);
    new DisplayLink(f, QStringLiteral("Doc_descr"), descr);
    auto* notes = new QHBoxLayout;
    notes->addWidget(fieldLabel(QStringLiteral("Annotazioni"), memo, page));
    notes->addWidget(descr);
    notes->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(vat);
    right->addLayout(totals);
    right->addLayout(notes);
    right->addWidget(memo, 1);
    g->addLayout(right, 1, 1);
    g->setColumnStretch(0, 2);
    g->setColumnStretch(1, 3);
    g->setRowStretch(1, 1);
    return page;
}

QWidget* TfrmFatture::buildRighe() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabRighe"));
    DataSet& r = sd_.righe;
    auto* v = new QVBoxLayout(page);
    auto* g = new QGridLayout;
    g->setVerticalSpacing(2);
    auto* codice = lineEdit(page, QStringLiteral("EditCodice"), 18);
    new LineEditLink(r, QStringLiteral("Codice"), codice);
    auto* um = new QComboBox(page);
    um->setObjectName(QStringLiteral("EditUM"));
    new SuggestComboLink(r, QStringLiteral("UM"), um, {QStringLiteral("li"), QStringLiteral("nr")});
    um->setMaximumWidth(um->fontMetrics().averageCharWidth() * 6 + 40);
    auto* quantita = lineEdit(page, QStringLiteral("EditQuantita"), 10);
    new NumberEditLink(r, QStringLiteral("Quantita"), quantita);
    auto* descrizione = lineEdit(page, QStringLiteral("EditDescrizione"));
    new LineEditLink(r, QStringLiteral("Descrizione"), descrizione);
    auto* prezzo = lineEdit(page, QStringLiteral("EditPrezzo"), 10);
    new NumberEditLink(r, QStringLiteral("Prezzo"), prezzo);
    auto* iva = new QComboBox(page);
    iva->setObjectName(QStringLiteral("EditIVA"));
    iva->setToolTip(QStringLiteral("Specificare se diversa dalla aliquota base"));
    iva->setStatusTip(QStringLiteral(
        "Specificare solo se diversa dalla aliquota base, altrimenti lasciare vuoto"));
    ivaLink_ = new ComboLink(r, QStringLiteral("IVA"), iva);
    auto* sconto = lineEdit(page, QStringLiteral("EditSconto"), 7);
    new NumberEditLink(r, QStringLiteral("Sconto"), sconto);
    auto* totale = lineEdit(page, QStringLiteral("EditTotale"), 12);
    totale->setAlignment(Qt::AlignRight);
    new DisplayLink(r, QStringLiteral("Totale"), totale);
    auto* volume = lineEdit(page, QStringLiteral("EditVolume"), 12);
    volume->setAlignment(Qt::AlignRight);
    new DisplayLink(r, QStringLiteral("Volume"), volume);

    auto add = [&](int row, int col, const QString& caption, QWidget* w, int span = 1) {
        g->addWidget(fieldLabel(caption, w, page), row, col);
        g->addWidget(w, row, col + 1, 1, span);
    };
    add(0, 0, QStringLiteral("Codice"), codice);
    add(0, 2, QStringLiteral("Um."), um);
    add(0, 4, QStringLiteral("Quantità"), quantita);
    add(0, 6, QStringLiteral("Descrizione"), descrizione, 3);
    add(1, 0, QStringLiteral("Prezzo"), prezzo);
    add(1, 2, QStringLiteral("Aliq.Iva"), iva);
    add(1, 4, QStringLiteral("Sconto"), sconto);
    add(1, 6, QStringLiteral("Totale riga"), totale);
    add(1, 8, QStringLiteral("Totale litri"), volume);
    g->setColumnStretch(7, 1);
    g->setColumnStretch(9, 1);
    v->addLayout(g);
    // A code typed into the editor fills the new line as the grid does.
    connect(codice, &QLineEdit::editingFinished, this,
            [this] { dbgRigheColExit(QStringLiteral("Codice")); });

    auto* bar = new QHBoxLayout;
    auto* nav = new RecordNavigator(page, RecordNavigator::moveButtons() | RecordNavigator::Insert |
                                              RecordNavigator::Delete | RecordNavigator::Post |
                                              RecordNavigator::Cancel);
    nav->setObjectName(QStringLiteral("DBNavRighe"));
    nav->setDeleteQuestion({});  // the line rule asks
    nav->setDataSet(&r);
    bar->addWidget(nav);
    auto* picker = new QPushButton(QStringLiteral("prende riga dal listino ..."), page);
    picker->setObjectName(QStringLiteral("BitBtn3"));
    picker->setAutoDefault(false);
    connect(picker, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    bar->addWidget(picker);
    bar->addStretch();
    v->addLayout(bar);

    dbgRighe_ = new DataGrid(page);
    dbgRighe_->setObjectName(QStringLiteral("dbgRighe"));
    dbgRighe_->setDataSet(
        r, {GridColumn("Codice"), GridColumn("Descrizione"), GridColumn("UM"),
            GridColumn("Quantita"), GridColumn("Prezzo"), GridColumn("IVA"), GridColumn("Sconto")});
    auto* umPick = new PickListDelegate({QStringLiteral("li"), QStringLiteral("nr")}, dbgRighe_);
    ivaPick_ = new PickListDelegate({}, dbgRighe_);
    dbgRighe_->setItemDelegateForColumn(dbgRighe_->dataModel()->columnOf(QStringLiteral("UM")),
                                        umPick);
    dbgRighe_->setItemDelegateForColumn(dbgRighe_->dataModel()->columnOf(QStringLiteral("IVA")),
                                        ivaPick_);
    dbgRighe_->horizontalHeader()->setStretchLastSection(false);
    dbgRighe_->setColumnWidth(1, 360);
    connect(dbgRighe_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
                // Leaving a column of the same line (Tab, a click on the next cell).
                if (before.isValid() && now.isValid() && now.row() == before.row() &&
                    now.column() != before.column())
                    dbgRigheColExit(dbgRighe_->fieldOfColumn(before.column()));
            });
    dbgRighe_->installEventFilter(this);
    v->addWidget(dbgRighe_, 1);
    return page;
}

bool TfrmFatture::eventFilter(QObject* watched, QEvent* event) {
    // In the line grid, Insert adds a line, and so does Down from the last one.
    if (watched == dbgRighe_ && event->type() == QEvent::KeyPress && toggle_->isOn()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        DataSet& r = sd_.righe;
        const bool atEnd = r.isEmpty() || r.recNo() == r.recordCount() - 1;
        if (r.canModify() && (key == Qt::Key_Insert || (key == Qt::Key_Down && atEnd &&
                                                        r.state() != DataSet::State::Insert))) {
            try {
                r.append();
                dbgRighe_->focusField(QStringLiteral("Codice"));
            } catch (const DatabaseError& e) {
                showDataError(e);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QWidget* TfrmFatture::buildTrasporto() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabTrasporto"));
    DataSet& f = sd_.Fatture;
    auto* form = new QFormLayout(page);
    auto* causale = new QComboBox(page);
    causale->setObjectName(QStringLiteral("Causale"));
    causaleLink_ =
        new SuggestComboLink(f, QStringLiteral("Causale"), causale,
                             {QStringLiteral("Vendita"), QStringLiteral("Visione"),
                              QStringLiteral("Reso"), QStringLiteral("Trasporto ns. sede")});
    auto* aspetto = new QComboBox(page);
    aspetto->setObjectName(QStringLiteral("Aspetto"));
    aspettoLink_ = new SuggestComboLink(f, QStringLiteral("Aspetto"), aspetto);
    auto* vettore = lineEdit(page, QStringLiteral("Vettore"), 60);
    new LineEditLink(f, QStringLiteral("Vettore"), vettore);
    auto* ritiroRow = new QHBoxLayout;
    auto* ritiro = lineEdit(page, QStringLiteral("Ritiro"), 20);
    new LineEditLink(f, QStringLiteral("Ritiro"), ritiro);
    auto* now = new QPushButton(QStringLiteral("Adesso"), page);
    now->setObjectName(QStringLiteral("btnNow"));
    now->setAutoDefault(false);
    connect(now, &QPushButton::clicked, this, [this] { btnNowClick(); });
    ritiroRow->addWidget(ritiro);
    ritiroRow->addWidget(now);
    ritiroRow->addStretch();

    auto* box = new QGroupBox(QStringLiteral(" Inizio trasporto "), page);
    box->setObjectName(QStringLiteral("Trasporto"));
    auto* bl = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    int id = 0;
    for (const char* caption : {"Mittente", "Destinatario", "Vettore"}) {
        auto* rb = new QRadioButton(QString::fromLatin1(caption), box);
        rb->setObjectName(QStringLiteral("Trasporto_") + QString::fromLatin1(caption));
        group->addButton(rb, id++);
        bl->addWidget(rb);
    }
    bl->addStretch();
    new RadioGroupLink(f, QStringLiteral("Trasporto"), box, group,
                       {QStringLiteral("M"), QStringLiteral("D"), QStringLiteral("V")});
    auto* litri = lineEdit(page, QStringLiteral("Tot_Litri"), 14);
    litri->setAlignment(Qt::AlignRight);
    new DisplayLink(f, QStringLiteral("Tot_Litri"), litri);

    for (QWidget* w : {static_cast<QWidget*>(causale), static_cast<QWidget*>(aspetto)}) {
        w->setMinimumWidth(260);
        w->setMaximumWidth(420);
    }
    form->addRow(fieldLabel(QStringLiteral("Causale"), causale, page), causale);
    form->addRow(fieldLabel(QStringLiteral("Aspetto"), aspetto, page), aspetto);
    form->addRow(fieldLabel(QStringLiteral("Vettore"), vettore, page), vettore);
    form->addRow(fieldLabel(QStringLiteral("Ritiro"), ritiro, page), ritiroRow);
    form->addRow(box);
    form->addRow(fieldLabel(QStringLiteral("Litri totali"), litri, page), litri);
    return page;
}

QWidget* TfrmFatture::buildLista() {
    pageLista_ = new QWidget;
    pageLista_->setObjectName(QStringLiteral("LISTA"));
    auto* v = new QVBoxLayout(pageLista_);
    v->setContentsMargins(0, 0, 0, 0);
    dbgFatture_ = new DataGrid(pageLista_);
    dbgFatture_->setObjectName(QStringLiteral("dbgFatture"));
    dbgFatture_->setDataSet(
        sd_.Fatture,
        {GridColumn("Docum_numero", "Documento"), GridColumn("Data"), GridColumn("Codice"),
         GridColumn("Tot_Litri", "Tot.Litri"), GridColumn("Tot_Imponibile", "Tot.Imponibile"),
         GridColumn("Tot_Iva", "Tot.Iva"), GridColumn("Totale"), GridColumn("Scadenza")});
    dbgFatture_->dataModel()->setEditable(false);
    dbgFatture_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgFatture_->horizontalHeader()->setStretchLastSection(true);
    connect(dbgFatture_, &QAbstractItemView::doubleClicked, this, [this] { dbgFattureDblClick(); });
    connect(dbgFatture_, &DataGrid::titleClicked, this,
            [this](const QString& field) { dbgFattureTitleClick(field); });
    v->addWidget(dbgFatture_);
    return pageLista_;
}

QWidget* TfrmFatture::buildNuovo() {
    pageNuovo_ = new QWidget;
    pageNuovo_->setObjectName(QStringLiteral("NUOVO"));
    auto* outer = new QVBoxLayout(pageNuovo_);
    auto* form = new QGridLayout;
    intestazione_ = new QComboBox(pageNuovo_);
    intestazione_->setObjectName(QStringLiteral("Intestazione_documento"));
    intestazione_->setPlaceholderText(QStringLiteral("Selezionare cliente"));
    intestazione_->setMinimumWidth(360);
    destinazione_ = new QComboBox(pageNuovo_);
    destinazione_->setObjectName(QStringLiteral("Destinazione_venduto"));
    destinazione_->setPlaceholderText(QStringLiteral("Selezionare destinazione"));
    destinazione_->setMinimumWidth(360);
    dateEdit_ = new QDateEdit(pageNuovo_);
    dateEdit_->setObjectName(QStringLiteral("DateEdit1"));
    dateEdit_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    dateEdit_->setCalendarPopup(true);
    dateEdit_->setDate(QDate::currentDate());
    numEdit_ = new QLineEdit(pageNuovo_);
    numEdit_->setObjectName(QStringLiteral("NumEdit1"));
    numEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,7}")), numEdit_));
    numEdit_->setMaximumWidth(numEdit_->fontMetrics().averageCharWidth() * 9 + 16);
    numEdit_->setAlignment(Qt::AlignRight);
    form->addWidget(
        fieldLabel(QStringLiteral("Cliente intestatario del documento"), intestazione_, pageNuovo_),
        0, 0);
    form->addWidget(intestazione_, 0, 1);
    form->addWidget(fieldLabel(QStringLiteral("Luogo di consegna"), destinazione_, pageNuovo_), 1,
                    0);
    form->addWidget(destinazione_, 1, 1);
    form->addWidget(fieldLabel(QStringLiteral("Data"), dateEdit_, pageNuovo_), 2, 0);
    form->addWidget(dateEdit_, 2, 1, Qt::AlignLeft);
    form->addWidget(fieldLabel(QStringLiteral("Numero documento"), numEdit_, pageNuovo_), 3, 0);
    form->addWidget(numEdit_, 3, 1, Qt::AlignLeft);

    auto* box = new QGroupBox(pageNuovo_);
    box->setObjectName(QStringLiteral("RadioGroup1"));
    auto* bl = new QVBoxLayout(box);
    kinds_ = new QButtonGroup(box);
    for (const DocumentKind& k : documentKinds()) {
        auto* rb = new QRadioButton(k.caption, box);
        rb->setObjectName(QStringLiteral("RadioGroup1_%1").arg(k.index));
        kinds_->addButton(rb, k.index);
        bl->addWidget(rb);
    }
    kinds_->button(0)->setChecked(true);
    form->addWidget(box, 4, 1);
    form->setColumnStretch(2, 1);
    outer->addLayout(form);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("&Conferma"), pageNuovo_);
    ok->setObjectName(QStringLiteral("btninsert"));
    ok->setMinimumHeight(34);
    auto* no = new QPushButton(QStringLiteral("&Annulla"), pageNuovo_);
    no->setObjectName(QStringLiteral("btnnoinsert"));
    no->setMinimumHeight(34);
    for (QPushButton* b : {ok, no}) b->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(no);
    buttons->addStretch();
    outer->addLayout(buttons);
    outer->addStretch();
    connect(ok, &QPushButton::clicked, this, [this] { btninsertClick(); });
    connect(no, &QPushButton::clicked, this, [this] { btnnoinsertClick(); });
    connect(kinds_, &QButtonGroup::idClicked, this, [this] { calcolanumero(); });
    connect(dateEdit_, &QDateEdit::dateChanged, this, [this] { calcolanumero(); });
    return pageNuovo_;
}

// ---- filters --------------------------------------------------------------------------------

void TfrmFatture::restoreFilters() {
    for (QComboBox* c : {selAnno_, selTipo_}) {
        const QString text = settings_.value(section(), c->objectName() + QStringLiteral("_Text"),
                                             QStringLiteral("Tutti"));
        // A text that is not one of the items selects nothing: no restriction.
        c->setCurrentIndex(c->findText(text));
    }
}

void TfrmFatture::saveFilter(const QComboBox* combo) {
    settings_.setValue(section(), combo->objectName() + QStringLiteral("_Text"),
                       combo->currentText());
    settings_.save();
}

void TfrmFatture::applyFilter() {
    FiltroDocumenti& f = rules_.filtro;
    f.finestra = isVisible();
    f.anno = selAnno_->currentIndex() == 1 ? QDate::currentDate().year() : 0;
    const int t = selTipo_->currentIndex();
    f.docTipo = t > 0 ? QString::fromLatin1(tipoCodes[t]) : QString();
}

void TfrmFatture::sel_annoChange() {
    saveFilter(selAnno_);
    sel_tipoChange();
}

void TfrmFatture::sel_tipoChange() {
    saveFilter(selTipo_);
    if (!saveLineAndHeader()) return;
    rules_.filtro.sempreVisibile.clear();
    applyFilter();
    try {
        if (sd_.Fatture.isOpen()) {
            sd_.Fatture.setFiltered(true);
            sd_.Fatture.last();
        }
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

// ---- life -----------------------------------------------------------------------------------

void TfrmFatture::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) FormActivate();
    QDialog::showEvent(e);
}

void TfrmFatture::FormActivate() {
    showPage(pageSingolo_);
    pageControl_->setCurrentIndex(0);
    try {
        QStringList codes = ivaCodes(sd_.db);
        Choices choices{{QString(), QString()}};
        for (const QString& c : codes) choices << qMakePair(c, c);
        ivaLink_->setChoices(choices);
        codes.prepend(QString());
        ivaPick_->setItems(codes);
        QSqlQuery q = sd_.db.select(QStringLiteral("SELECT Causale, Aspetto FROM Intesta"));
        if (q.next()) {
            causaleLink_->setSuggestions(commaList(q.value(0).toString()));
            aspettoLink_->setSuggestions(commaList(q.value(1).toString()));
        }
        rules_.ricaricaNoteIva();
        rules_.filtro.sempreVisibile.clear();
        applyFilter();
        rules_.filtro.finestra = true;
        if (sd_.Fatture.isOpen()) {
            sd_.Fatture.setFiltered(true);
            sd_.Fatture.last();
        }
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    // Each showing starts browsing, as the last close left it.
    if (!toggle_->isOn()) {
        sd_.Fatture.setReadOnly(true);
        sd_.righe.setReadOnly(true);
    }
    DataFattureDataChange();
}

bool TfrmFatture::FormClose() {
    if (!toggle_->setOn(false)) return false;
    btnLista_->setChecked(false);
    imposta_pulsanti(btnLista_, ImgLista, QStringLiteral("Lista"));
    rules_.filtro.finestra = false;
    rules_.filtro.sempreVisibile.clear();
    try {
        if (sd_.Fatture.sortField() != u"Docum_numero")
            sd_.Fatture.sortBy(QStringLiteral("Docum_numero"));
        if (sd_.Fatture.isOpen() && sd_.Fatture.isFiltered()) sd_.Fatture.setFiltered(true);
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    intestaFatt_.close();
    ricevimento_.close();
    dbgRighe_->saveLayout(layout_, geometrySection());
    dbgFatture_->saveLayout(layout_, geometrySection());
    FormGeometry::save(this, geometrySection(), layout_);
    return true;
}

void TfrmFatture::done(int r) {
    if (!FormClose()) return;
    QDialog::done(r);
}

bool TfrmFatture::modificationOn() const {
    return toggle_->isOn();
}

bool TfrmFatture::saveLineAndHeader() {
    try {
        if (sd_.righe.isOpen() && sd_.righe.isEditing() && !sd_.righe.checkBrowseMode())
            return false;
        // Posted even when unchanged: its totals follow the lines.
        if (sd_.Fatture.isOpen() && sd_.Fatture.isEditing() && !sd_.Fatture.post()) return false;
    } catch (const DatabaseError& e) {
        showDataError(e);
        return false;
    }
    return true;
}

void TfrmFatture::showPage(QWidget* page) {
    notebook_->setCurrentWidget(page);
}

void TfrmFatture::followTabFocus(QWidget* old, QWidget* now) {
    // Leaving the tabs for another part of the window stores the header on the way.
    if (!isVisible() || !old || !pageControl_->isAncestorOf(old)) return;
    if (now && pageControl_->isAncestorOf(now)) return;
    if (now && now->window() != this) return;  // a message box of the rules themselves
    PageControl1Change();
}

void TfrmFatture::PageControl1Change() {
    if (!toggle_->isOn() || !sd_.Fatture.isOpen() || !sd_.Fatture.isEditing()) return;
    saveLineAndHeader();
}

// ---- buttons --------------------------------------------------------------------------------

void TfrmFatture::btn_listaClick(bool pressed) {
    btnLista_->setChecked(pressed);
    if (pressed) {
        imposta_pulsanti(btnLista_, ImgScheda, QStringLiteral("Scheda"));
        showPage(pageLista_);
        dbgFatture_->setFocus();
    } else {
        imposta_pulsanti(btnLista_, ImgLista, QStringLiteral("Lista"));
        showPage(pageSingolo_);
    }
}

void TfrmFatture::dbgFattureDblClick() {
    btn_listaClick(false);
}

void TfrmFatture::dbgFattureTitleClick(const QString& field) {
    try {
        if (sd_.Fatture.isOpen() && sd_.Fatture.checkBrowseMode()) sd_.Fatture.sortBy(field);
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

void TfrmFatture::btn_cancellaClick() {
    try {
        rules_.cancellaDocumentoCorrente();
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

void TfrmFatture::btn_stampaClick() {
    if (toggle_->isOn() && !saveLineAndHeader()) return;
    const QString numero = sd_.Fatture.isOpen() && !sd_.Fatture.isEmpty()
                               ? sd_.Fatture.field(QStringLiteral("Docum_numero")).asString()
                               : QString();
    try {
        const RisultatoStampa r = stampaDocumento(sd_.db, numero, print_);
        if (r.esito != EsitoStampa::Stampato) return;
        // The lines now carry their mark and the products their new stock.
        if (sd_.righe.isOpen()) sd_.righe.refresh();
        if (sd_.prodotti.isOpen()) sd_.prodotti.refresh();
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

bool TfrmFatture::headerForAssignment() {
    DataSet& f = sd_.Fatture;
    try {
        // With "Modifica" on, the button itself starts the edit; otherwise the data layer
        // refuses the assignment with its own message.
        if (f.isOpen() && !f.isEmpty() && !f.isEditing() && f.canModify() && !f.tryEdit())
            return false;
    } catch (const DatabaseError& e) {
        showDataError(e);
        return false;
    }
    return true;
}

void TfrmFatture::BitBtn1Click() {
    if (!headerForAssignment()) return;
    try {
        const QString terms = sd_.clifatt.isOpen() && !sd_.clifatt.isEmpty()
                                  ? sd_.clifatt.field(QStringLiteral("Pagamento")).asString()
                                  : QString();
        const QDate data = sd_.Fatture.field(QStringLiteral("Data")).asDateTime().date();
        sd_.Fatture.field(QStringLiteral("Scadenza")).setValue(Scadenza(terms, data));
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

void TfrmFatture::btnNowClick() {
    if (!headerForAssignment()) return;
    try {
        sd_.Fatture.field(QStringLiteral("Ritiro"))
            .setValue(
                formatDateTime(QStringLiteral("dd/mm/yyyy hh:nn"), QDateTime::currentDateTime()));
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

void TfrmFatture::BitBtn3Click() {
    if (toggle_->isOn() && picker_ && !sd_.Fatture.isEmpty() && saveLineAndHeader()) picker_();
}

void TfrmFatture::Da_ddtClick() {
    // The import writes the invoice's lines and totals: what is typed here is stored first.
    if (toggle_->isOn() && ddtImport_ && !sd_.Fatture.isEmpty() && saveLineAndHeader())
        ddtImport_();
}

void TfrmFatture::DataFattureDataChange() {
    const DataSet& f = sd_.Fatture;
    const bool riassunto = f.isOpen() && (f.isEditing() || !f.isEmpty()) &&
                           f.field(QStringLiteral("DDTFATT")).asString() == QLatin1String("R");
    daDdt_->setEnabled(riassunto);
}

void TfrmFatture::dbgRigheColExit(const QString& field) {
    DataSet& r = sd_.righe;
    if (field != u"Codice" || !r.isOpen() || !r.isEditing()) return;
    if (!r.field(QStringLiteral("Descrizione")).asString().isEmpty()) return;
    const QString code = r.field(QStringLiteral("Codice")).asString();
    if (code.isEmpty()) return;
    try {
        rules_.completa_riga(code, 0);
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

// ---- page NUOVO -----------------------------------------------------------------------------

int TfrmFatture::chosenKind() const {
    return qMax(0, kinds_->checkedId());
}

void TfrmFatture::fillCustomerCombo(QComboBox* combo, DataSet& list) {
    combo->clear();
    if (!list.isOpen()) return;
    const Field& name = list.field(QStringLiteral("RagioneSociale"));
    const int ni = name.index();
    QStringList names;
    names.reserve(list.recordCount());
    for (int row = 0; row < list.recordCount(); ++row) names << list.valueAt(row, ni).toString();
    combo->addItems(names);
    combo->setCurrentIndex(-1);
}

QString TfrmFatture::chosenCode(const QComboBox* combo, const DataSet& list) const {
    const int row = combo->currentIndex();
    if (row < 0 || !list.isOpen() || row >= list.recordCount()) return {};
    return list.valueAt(row, list.field(QStringLiteral("Codice")).index()).toString();
}

void TfrmFatture::calcolanumero() {
    const DocumentKind& k = documentKind(chosenKind());
    try {
        // The customers the kind is made out to.
        intestaFatt_.setSql(
            k.privati ? QStringLiteral("SELECT Codice, RagioneSociale,Giur_Pers FROM Anagrafica "
                                       "where Giur_Pers='X' ORDER BY RagioneSociale ")
                      : QStringLiteral("SELECT Codice, RagioneSociale,Giur_Pers FROM Anagrafica "
                                       "where ((Giur_Pers='G') OR (Giur_Pers='P')) ORDER BY "
                                       "RagioneSociale "));
        intestaFatt_.open();
        const QString chosen = chosenCode(intestazione_, intestaFatt_);
        fillCustomerCombo(intestazione_, intestaFatt_);
        if (!chosen.isEmpty() && intestaFatt_.locate(QStringLiteral("Codice"), chosen))
            intestazione_->setCurrentIndex(intestaFatt_.recNo());
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
    destinazione_->setEnabled(k.destinazione);
    if (!k.destinazione) destinazione_->setCurrentIndex(-1);
    calcolaPrimonumero();
}

void TfrmFatture::calcolaPrimonumero() {
    const DocumentKind& k = documentKind(chosenKind());
    try {
        numEdit_->setText(
            QString::number(prossimo_numero(sd_.db, k.docTipo, dateEdit_->date().year())));
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

void TfrmFatture::btn_nuovoClick() {
    if (!toggle_->isOn() || !saveLineAndHeader()) return;
    try {
        ricevimento_.setSql(
            QStringLiteral("SELECT Codice, RagioneSociale,Giur_Pers FROM Anagrafica "
                           "where Giur_Pers<>'X' ORDER BY RagioneSociale"));
        ricevimento_.open();
        fillCustomerCombo(destinazione_, ricevimento_);
    } catch (const DatabaseError& e) {
        showDataError(e);
        return;
    }
    numEdit_->setText(QString());
    intestazione_->setCurrentIndex(-1);
    {
        const QSignalBlocker block(dateEdit_);
        dateEdit_->setDate(QDate::currentDate());
    }
    calcolanumero();
    intestazione_->setCurrentIndex(-1);
    destinazione_->setCurrentIndex(-1);
    btnLista_->setChecked(false);
    imposta_pulsanti(btnLista_, ImgLista, QStringLiteral("Lista"));
    showPage(pageNuovo_);
    intestazione_->setFocus();
}

void TfrmFatture::btnnoinsertClick() {
    intestaFatt_.close();
    ricevimento_.close();
    showPage(pageSingolo_);
}

void TfrmFatture::btninsertClick() {
    NuovaTestata t;
    t.tipo = chosenKind();
    t.data = dateEdit_->date();
    bool ok = false;
    const int n = numEdit_->text().trimmed().toInt(&ok);
    // A number that is not 1..999999 is refused in its turn (never taken as "the next one").
    t.numero = ok && n > 0 ? n : -1;
    t.cliente = chosenCode(intestazione_, intestaFatt_);
    t.destinazione = chosenCode(destinazione_, ricevimento_);
    try {
        const EsitoDocumento e = creaTestata(sd_.db, t);
        if (!e.ok()) {
            Mymsg::message(e.rifiuto);
            return;
        }
        rules_.filtro.sempreVisibile = e.documNumero;
        DataSet& f = sd_.Fatture;
        if (f.isOpen()) {
            f.refresh();
            if (f.locate(QStringLiteral("Docum_numero"), e.documNumero) && f.canModify()) f.edit();
        }
    } catch (const DatabaseError& err) {
        showDataError(err);
        return;
    }
    intestaFatt_.close();
    ricevimento_.close();
    showPage(pageSingolo_);
    pageControl_->setCurrentIndex(0);
}
