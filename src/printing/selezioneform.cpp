#include "printing/selezioneform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/messages.h"
#include "data/dataset.h"
#include "data/shareddata.h"
#include "stock/giornale.h"
#include "widgets/datefield.h"
#include "widgets/zoom.h"

namespace {

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLineEdit* dateEdit(QWidget* parent, const char* name) {
    auto* e = named(new QLineEdit(parent), name);
    // A wrong date is named as the field is left, and Enter does not confirm with it.
    new DateFieldCheck(e);
    e->setMaximumWidth(130);
    return e;
}

// A choice that can also be typed: the list suggests the entries that contain what is typed.
QComboBox* choice(QWidget* parent, const char* name) {
    auto* c = named(new QComboBox(parent), name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMaxVisibleItems(20);
    c->setMinimumContentsLength(30);
    c->completer()->setCompletionMode(QCompleter::PopupCompletion);
    c->completer()->setFilterMode(Qt::MatchContains);
    c->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

// The rows of a data set as the items of a choice: text shown, value stored, and a note.
void fill(QComboBox* combo, DataSet& ds, const QString& shown, const QString& value,
          const QString& note = {}) {
    auto* model = new QStandardItemModel(combo);
    model->appendRow(new QStandardItem());  // nothing chosen
    if (ds.isOpen()) {
        const int s = ds.field(shown).index();
        const int v = ds.field(value).index();
        const int n = note.isEmpty() ? -1 : ds.field(note).index();
        for (int row = 0; row < ds.recordCount(); ++row) {
            auto* item = new QStandardItem(ds.valueAt(row, s).toString());
            item->setData(ds.valueAt(row, v).toString(), Qt::UserRole);
            if (n >= 0) item->setData(ds.valueAt(row, n).toString(), Qt::UserRole + 1);
            model->appendRow(item);
        }
    }
    combo->setModel(model);
}

// The item whose text is the one typed: exactly first, then ignoring case; -1 when none.
int itemFor(const QComboBox* combo, const QString& text) {
    if (combo->currentIndex() > 0 && combo->itemText(combo->currentIndex()) == text)
        return combo->currentIndex();
    const int exact = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (exact > 0) return exact;
    const int loose = combo->findText(text, Qt::MatchFixedString);
    return loose > 0 ? loose : -1;
}

}  // namespace

TSelezioneForm::TSelezioneForm(SharedData& sd, int zoom, QWidget* parent)
    : QDialog(parent), sd_(sd) {
    setObjectName(QStringLiteral("TSelezioneForm"));
    setWindowTitle(QStringLiteral("Selezione per stampe"));
    setModal(true);
    auto* lay = new QVBoxLayout(this);
    pages_ = named(new QTabWidget(this), "Notebook1");
    lay->addWidget(pages_, 1);

    // CLIENTI
    auto* pc = named(new QWidget(pages_), "CLIENTI");
    auto* pcl = new QVBoxLayout(pc);
    auto* gc = new QGroupBox(QStringLiteral("Selezione clienti"), pc);
    auto* gcl = new QGridLayout(gc);
    clienti_da_ = named(new QLineEdit(gc), "clienti_da");
    clienti_a_ = named(new QLineEdit(gc), "clienti_a");
    gcl->addWidget(new QLabel(QStringLiteral("da"), gc), 0, 0);
    gcl->addWidget(clienti_da_, 0, 1);
    gcl->addWidget(new QLabel(QStringLiteral("a"), gc), 1, 0);
    gcl->addWidget(clienti_a_, 1, 1);
    gcl->setColumnStretch(1, 1);
    pcl->addWidget(gc);
    pcl->addStretch(1);
    pages_->addTab(pc, QStringLiteral("CLIENTI"));

    // FATTURE
    auto* pf = named(new QWidget(pages_), "FATTURE");
    auto* pfl = new QVBoxLayout(pf);
    auto* gf = new QGroupBox(QStringLiteral("Documenti Trasporto e Fatture"), pf);
    auto* gfl = new QGridLayout(gf);
    Fattureda_ = dateEdit(gf, "Fattureda");
    Fatturea_ = dateEdit(gf, "Fatturea");
    clientefatt_ = choice(gf, "clientefatt");
    Sel_DDT_ = named(new QCheckBox(QStringLiteral("Documenti di trasporto"), gf), "Sel_DDT");
    Sel_Fatt_ = named(new QCheckBox(QStringLiteral("Fatture"), gf), "Sel_Fatt");
    sel_privati_ = named(new QCheckBox(QStringLiteral("Privati"), gf), "sel_privati");
    for (QCheckBox* c : {Sel_DDT_, Sel_Fatt_, sel_privati_}) c->setChecked(true);
    gfl->addWidget(new QLabel(QStringLiteral("da data"), gf), 0, 0);
    gfl->addWidget(Fattureda_, 0, 1);
    gfl->addWidget(new QLabel(QStringLiteral("a data"), gf), 1, 0);
    gfl->addWidget(Fatturea_, 1, 1);
    gfl->addWidget(new QLabel(QStringLiteral("Cliente"), gf), 2, 0);
    gfl->addWidget(clientefatt_, 2, 1, 1, 2);
    auto* kinds = new QVBoxLayout;
    kinds->addWidget(Sel_DDT_);
    kinds->addWidget(Sel_Fatt_);
    kinds->addWidget(sel_privati_);
    gfl->addLayout(kinds, 0, 2, 2, 1);
    gfl->setColumnStretch(2, 1);
    pfl->addWidget(gf);
    pfl->addStretch(1);
    pages_->addTab(pf, QStringLiteral("FATTURE"));

    // MOVIMENTI
    auto* pm = named(new QWidget(pages_), "MOVIMENTI");
    auto* pml = new QVBoxLayout(pm);
    auto* gm = new QGroupBox(QStringLiteral("Movimenti del prodotto"), pm);
    auto* gml = new QGridLayout(gm);
    mov_da_ = dateEdit(gm, "mov_da");
    mov_a_ = dateEdit(gm, "mov_a");
    mov_prod_ = choice(gm, "mov_prod");
    mov_prod_->completer()->setFilterMode(Qt::MatchStartsWith);
    mov_prod_->setMinimumContentsLength(16);
    mov_descrizione_ = named(new QLabel(gm), "mov_descrizione");
    mov_descrizione_->setWordWrap(true);
    QFont bold = mov_descrizione_->font();
    bold.setBold(true);
    mov_descrizione_->setFont(bold);
    gml->addWidget(new QLabel(QStringLiteral("da data"), gm), 0, 0);
    gml->addWidget(mov_da_, 0, 1);
    gml->addWidget(new QLabel(QStringLiteral("a data"), gm), 1, 0);
    gml->addWidget(mov_a_, 1, 1);
    gml->addWidget(new QLabel(QStringLiteral("Prodotto"), gm), 2, 0);
    gml->addWidget(mov_prod_, 2, 1);
    gml->addWidget(mov_descrizione_, 3, 1, 1, 2);
    gml->setColumnStretch(2, 1);
    pml->addWidget(gm);
    pml->addStretch(1);
    pages_->addTab(pm, QStringLiteral("MOVIMENTI"));
    connect(mov_prod_, &QComboBox::currentTextChanged, this, [this] { mov_prodChange(); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok =
        buttons->addButton(QStringLiteral("&Conferma stampa"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btn_conferma"));
    ok->setDefault(true);
    QPushButton* no =
        buttons->addButton(QStringLiteral("&Annulla Stampa"), QDialogButtonBox::RejectRole);
    no->setObjectName(QStringLiteral("btn_annulla"));
    ok->setAutoDefault(true);
    no->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] { btn_confermaClick(); });
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    lay->addWidget(buttons);

    resize(560, 300);
    applyZoom(this, zoom);
}

QString TSelezioneForm::msgClienteSconosciuto(const QString& text) {
    return QStringLiteral("   Il cliente \"%1\" non è in anagrafica: sceglierlo dall'elenco   ")
        .arg(text);
}

QString TSelezioneForm::msgProdottoSconosciuto(const QString& text) {
    return QStringLiteral("   Il prodotto \"%1\" non esiste: sceglierlo dall'elenco   ").arg(text);
}

TSelezioneForm::Pagina TSelezioneForm::pagina() const {
    return Pagina(pages_->currentIndex());
}

void TSelezioneForm::mostraPagina(Pagina p) {
    for (int i = 0; i < pages_->count(); ++i) pages_->setTabVisible(i, i == int(p));
    pages_->setCurrentIndex(int(p));
}

bool TSelezioneForm::esegui() {
    if (QWidget* first = pages_->currentWidget()->findChild<QLineEdit*>()) first->setFocus();
    return exec() == QDialog::Accepted;
}

void TSelezioneForm::caricaClienti() {
    fill(clientefatt_, sd_.Clienti, QStringLiteral("RagioneSociale"), QStringLiteral("Codice"));
}

void TSelezioneForm::caricaProdotti() {
    fill(mov_prod_, sd_.prodotti, QStringLiteral("Codice_prodotto"),
         QStringLiteral("Codice_prodotto"), QStringLiteral("Descrizione"));
}

void TSelezioneForm::mov_prodChange() {
    const int i = itemFor(mov_prod_, mov_prod_->currentText().trimmed());
    mov_descrizione_->setText(i > 0 ? mov_prod_->itemData(i, Qt::UserRole + 1).toString()
                                    : QString());
}

bool TSelezioneForm::selezionaClienti(SelezioneClienti& s) {
    mostraPagina(CLIENTI);
    clienti_da_->setText(s.da);
    clienti_a_->setText(s.a);
    if (!esegui()) return false;
    s.da = clienti_da_->text();
    s.a = clienti_a_->text();
    return true;
}

bool TSelezioneForm::selezionaFatture(SelezioneFatture& s) {
    mostraPagina(FATTURE);
    caricaClienti();
    Fattureda_->setText(GiornaleMovimenti::testoData(s.da));
    Fatturea_->setText(GiornaleMovimenti::testoData(s.a));
    const int i = s.cliente.isEmpty() ? 0 : clientefatt_->findData(s.cliente, Qt::UserRole);
    clientefatt_->setCurrentIndex(std::max(i, 0));
    if (!esegui()) return false;
    s.da = da_;
    s.a = a_;
    s.cliente = codice_;
    s.ddt = Sel_DDT_->isChecked();
    s.fatture = Sel_Fatt_->isChecked();
    s.privati = sel_privati_->isChecked();
    return true;
}

bool TSelezioneForm::selezionaMovimenti(SelezioneMovimenti& s) {
    mostraPagina(MOVIMENTI);
    caricaProdotti();
    const int i = mov_prod_->findData(s.prodotto, Qt::UserRole);
    mov_prod_->setCurrentIndex(std::max(i, 0));
    mov_prodChange();
    if (!esegui()) return false;
    s.da = da_;
    s.a = a_;
    s.prodotto = codice_;
    return true;
}

bool TSelezioneForm::leggiDate(QLineEdit* da, QLineEdit* a, QDate* dDa, QDate* dA) {
    for (auto [edit, out] : {std::pair{da, dDa}, std::pair{a, dA}}) {
        const QString t = edit->text().trimmed();
        *out = t.isEmpty() ? QDate() : GiornaleMovimenti::leggiData(t);
        if (!t.isEmpty() && !out->isValid()) {
            Mymsg::message(GiornaleMovimenti::msgDataNonValida(t));
            edit->setFocus();
            edit->selectAll();
            return false;
        }
    }
    return true;
}

// The value of the item typed or chosen; "" for an empty choice, *ok false for a text that is
// none of the items.
QString TSelezioneForm::valoreScelto(const QComboBox* combo, bool* ok) {
    const QString t = combo->currentText().trimmed();
    *ok = true;
    if (t.isEmpty()) return {};
    const int i = itemFor(combo, t);
    *ok = i > 0;
    return *ok ? combo->itemData(i, Qt::UserRole).toString() : QString();
}

void TSelezioneForm::btn_confermaClick() {
    bool ok = true;
    switch (pagina()) {
        case CLIENTI:
            break;
        case FATTURE:
            if (!leggiDate(Fattureda_, Fatturea_, &da_, &a_)) return;
            codice_ = valoreScelto(clientefatt_, &ok);
            if (!ok) {
                Mymsg::message(msgClienteSconosciuto(clientefatt_->currentText().trimmed()));
                clientefatt_->setFocus();
                return;
            }
            break;
        case MOVIMENTI:
            if (!leggiDate(mov_da_, mov_a_, &da_, &a_)) return;
            codice_ = valoreScelto(mov_prod_, &ok);
            if (!ok) {
                Mymsg::message(msgProdottoSconosciuto(mov_prod_->currentText().trimmed()));
                mov_prod_->setFocus();
                return;
            }
            break;
    }
    accept();
}
