#include "masterdata/frmintesta.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/helpers.h"
#include "common/inifile.h"
#include "data/shareddata.h"
#include "masterdata/uicommon.h"
#include "widgets/dataerror.h"
#include "widgets/datagrid.h"
#include "widgets/escape.h"
#include "widgets/fieldlinks.h"
#include "widgets/formgeometry.h"
#include "widgets/navigator.h"
#include "widgets/scrollbody.h"

#include "platform/printers.h"

namespace {
struct HeaderField {
    const char* field;
    const char* label;
    bool number;
};
constexpr HeaderField headerFields[] = {
    {"RagioneSociale", "RagioneSociale", false},
    {"Indirizzo", "Indirizzo", false},
    {"Citta", "Citta", false},
    {"Partita_IVA", "Partita IVA", false},
    {"CodiceAZ", "Codice AZIENDA", false},
    {"Aspetto", "Aspetto", false},
    {"Causale", "Causale", false},
    {"Griglia_X", "Griglia sinottico X", true},
    {"Griglia_Y", "Griglia sinottico Y", true},
};
}  // namespace

TfrmIntesta::TfrmIntesta(SharedData& sd, IniFile& settings, int zoomPercent, QWidget* parent)
    : QDialog(parent), sd_(sd), ini_(settings) {
    setObjectName(QStringLiteral("TfrmIntesta"));
    setWindowTitle(QStringLiteral("Intestazione"));
    setModal(true);
    applyZoomFont(this, zoomPercent);
    auto* main = new QVBoxLayout(scrollingBody(this));
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    main->addWidget(pages_);

    // Page "Intestazione".
    auto* pHeader = new QWidget;
    pHeader->setObjectName(QStringLiteral("TabIntestazione"));
    auto* form = new QFormLayout(pHeader);
    for (const auto& hf : headerFields) {
        auto* e = new QLineEdit(pHeader);
        const QString name = QString::fromLatin1(hf.field);
        e->setObjectName(name);
        FieldLink* link =
            hf.number ? static_cast<FieldLink*>(new NumberEditLink(sd_.Intestazione, name, e))
                      : new LineEditLink(sd_.Intestazione, name, e);
        // The header changes only after "&Modifica i dati di intestazione del programma".
        link->setAutoEdit(false);
        if (hf.number) e->setMaximumWidth(80);
        form->addRow(fieldLabel(QString::fromLatin1(hf.label), e, pHeader), e);
        headerEdits_ << e;
        headerLinks_ << link;
    }
    btnModifica_ =
        new QPushButton(QStringLiteral("&Modifica i dati di intestazione del programma"), pHeader);
    btnModifica_->setObjectName(QStringLiteral("btn_modifica_intestazione"));
    // Enter in a header field must store the edit, not start it again.
    btnModifica_->setAutoDefault(false);
    btnFine_ = new QPushButton(QStringLiteral("&Fine modifica intestazione"), pHeader);
    btnFine_->setObjectName(QStringLiteral("btn_fine_intestazione"));
    btnFine_->setDefault(true);
    auto* hb = new QHBoxLayout;
    hb->addWidget(btnModifica_);
    hb->addWidget(btnFine_);
    hb->addStretch();
    form->addRow(hb);
    connect(btnModifica_, &QPushButton::clicked, this, [this] { btnModificaClick(); });
    connect(btnFine_, &QPushButton::clicked, this, [this] { btnFineModificaClick(); });
    pages_->addTab(pHeader, QStringLiteral("Intestazione"));

    // Page "Aliquote IVA".
    auto* pIva = new QWidget;
    pIva->setObjectName(QStringLiteral("TabAliquote"));
    auto* vIva = new QVBoxLayout(pIva);
    grid_ = new DataGrid(pIva);
    grid_->setObjectName(QStringLiteral("dbgIVA"));
    grid_->setDataSet(sd_.TAB_IVA, {{QStringLiteral("Ordine"), QStringLiteral("Ordine")},
                                    {QStringLiteral("IVA"), QStringLiteral("IVA")},
                                    {QStringLiteral("Nota_fin"), QStringLiteral("Nota finale")}});
    grid_->setColumnWidth(2, 360);
    vIva->addWidget(grid_);
    nav_ = new RecordNavigator(pIva, RecordNavigator::allButtons());
    nav_->setObjectName(QStringLiteral("DBNavigator1"));
    nav_->setDataSet(&sd_.TAB_IVA);
    vIva->addWidget(nav_);
    pages_->addTab(pIva, QStringLiteral("Aliquote IVA"));

    // Page "Stampanti e Esportazione".
    auto* pSet = new QWidget;
    pSet->setObjectName(QStringLiteral("TabStampanti"));
    auto* fSet = new QFormLayout(pSet);
    esportazione_ = new QLineEdit(pSet);
    esportazione_->setObjectName(QStringLiteral("esportazione"));
    stampante1_ = new QComboBox(pSet);
    stampante1_->setObjectName(QStringLiteral("stampante1"));
    stampante2_ = new QComboBox(pSet);
    stampante2_->setObjectName(QStringLiteral("stampante2"));
    for (QComboBox* c : {stampante1_, stampante2_}) {
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMinimumContentsLength(30);
    }
    fSet->addRow(fieldLabel(QStringLiteral("Esportazione"), esportazione_, pSet), esportazione_);
    fSet->addRow(fieldLabel(QStringLiteral("Stampa principale"), stampante1_, pSet), stampante1_);
    nota1_ = new QLabel(pSet);
    nota1_->setObjectName(QStringLiteral("lbl_stampante1_nota"));
    fSet->addRow(QString(), nota1_);
    fSet->addRow(fieldLabel(QStringLiteral("Stampa scontrino"), stampante2_, pSet), stampante2_);
    nota2_ = new QLabel(pSet);
    nota2_->setObjectName(QStringLiteral("lbl_stampante2_nota"));
    fSet->addRow(QString(), nota2_);
    for (QLabel* l : {nota1_, nota2_}) {
        l->setWordWrap(true);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, QColor(0xb0, 0x10, 0x10));
        l->setPalette(p);
    }
    for (QComboBox* c : {stampante1_, stampante2_})
        connect(c, &QComboBox::editTextChanged, this, [this] { showPrinterNotes(); });
    printersFn_ = [] { return installedPrinters(); };
    defaultFn_ = [] { return defaultPrinter(); };
    pages_->addTab(pSet, QStringLiteral("Stampanti e Esportazione"));

    auto* close = new QPushButton(QStringLiteral("Chiudi"), this);
    close->setObjectName(QStringLiteral("btn_chiudi"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);
    main->addLayout(bottom);

    resize(QSize(640, 460) * zoomFactor(zoomPercent));
    grid_->setColumnWidth(2, int(360 * zoomFactor(zoomPercent)));
    FormGeometry::fitToScreen(this);
    restoreSettings();
    headerLook(false);
    // Esc while the header or a VAT row is in edit abandons it; otherwise it closes.
    new EscapeAbandonsEdit(this, {&sd_.Intestazione, &sd_.TAB_IVA}, [this] { headerLook(false); });
}

void TfrmIntesta::setPrinterSource(std::function<QStringList()> printers,
                                   std::function<QString()> defaultPrinter) {
    printersFn_ = std::move(printers);
    defaultFn_ = std::move(defaultPrinter);
}

QString TfrmIntesta::printerNote(const QString& stored, const QStringList& installed,
                                 const QString& defaultPrinter) {
    if (installed.isEmpty())
        return QStringLiteral("Nessuna stampante installata: le stampe vanno in un file PDF");
    if (!stored.isEmpty() && looklist(installed, stored) >= 0) return {};
    // The print routine uses the system's default printer, else the first one.
    const QString used = defaultPrinter.isEmpty() ? installed.first() : defaultPrinter;
    return QStringLiteral("Stampante non trovata: verrà usata %1").arg(used);
}

void TfrmIntesta::showPrinterNotes() {
    nota1_->setText(printerNote(stampante1_->currentText(), printers_, defaultPrinter_));
    nota2_->setText(printerNote(stampante2_->currentText(), printers_, defaultPrinter_));
    nota1_->setVisible(!nota1_->text().isEmpty());
    nota2_->setVisible(!nota2_->text().isEmpty());
}

QString TfrmIntesta::esportazioneText() const {
    return esportazione_->text();
}
QString TfrmIntesta::stampante1Text() const {
    return stampante1_->currentText();
}
QString TfrmIntesta::stampante2Text() const {
    return stampante2_->currentText();
}
void TfrmIntesta::setEsportazioneText(const QString& folder) {
    esportazione_->setText(folder);
}

void TfrmIntesta::restoreSettings() {
    esportazione_->setText(
        ini_.value(section(), QStringLiteral("esportazione_Text"), QStringLiteral("esportazione")));
    stampante1_->setEditText(
        ini_.value(section(), QStringLiteral("stampante1_Text"), QStringLiteral("stampante1")));
    stampante2_->setEditText(
        ini_.value(section(), QStringLiteral("stampante2_Text"), QStringLiteral("stampante2")));
}

bool TfrmIntesta::storeSettings() {
    ini_.setValue(section(), QStringLiteral("esportazione_Text"), esportazione_->text());
    ini_.setValue(section(), QStringLiteral("stampante1_Text"), stampante1_->currentText());
    ini_.setValue(section(), QStringLiteral("stampante2_Text"), stampante2_->currentText());
    return ini_.path().isEmpty() || ini_.save();
}

void TfrmIntesta::headerLook(bool editing) {
    // Grey like read-only fields while viewing, white while editing.
    for (QWidget* w : headerEdits_) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, editing ? QColor(Qt::white) : palette().color(QPalette::Button));
        w->setPalette(p);
    }
}

void TfrmIntesta::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) {
        restoreSettings();
        printers_ = printersFn_ ? printersFn_() : QStringList();
        defaultPrinter_ = defaultFn_ ? defaultFn_() : QString();
        for (QComboBox* c : {stampante1_, stampante2_}) {
            const QString text = c->currentText();
            c->clear();
            c->addItems(printers_);
            c->setEditText(text);
        }
        showPrinterNotes();
        headerLook(false);
        try {
            if (!sd_.TAB_IVA.isOpen()) sd_.TAB_IVA.open();
        } catch (const DatabaseError& err) {
            showDataError(err);
        }
    }
    QDialog::showEvent(e);
}

void TfrmIntesta::btnModificaClick() {
    try {
        if (!sd_.Intestazione.isOpen()) sd_.Intestazione.open();
        if (!sd_.Intestazione.tryEdit()) return;
    } catch (const DatabaseError& err) {
        showDataError(err);
        return;
    }
    headerLook(true);
    if (!headerEdits_.isEmpty()) headerEdits_.first()->setFocus();
}

void TfrmIntesta::btnFineModificaClick() {
    // A half-typed number is settled before the row is stored.
    if (QWidget* f = focusWidget()) f->clearFocus();
    if (sd_.Intestazione.isEditing()) {
        try {
            if (!sd_.Intestazione.post()) return;  // refused: the row stays in edit, white
        } catch (const DatabaseError& err) {
            showDataError(err);
            return;
        }
    }
    headerLook(false);
}

bool TfrmIntesta::formClose() {
    if (sd_.Intestazione.isEditing()) sd_.Intestazione.cancel();
    headerLook(false);
    if (sd_.TAB_IVA.isOpen() && sd_.TAB_IVA.isEditing()) {
        bool stored = false;
        try {
            stored = sd_.TAB_IVA.checkBrowseMode();
        } catch (const DatabaseError& err) {
            showDataError(err);
        }
        if (!stored) {
            pages_->setCurrentIndex(1);
            return false;
        }
    }
    sd_.TAB_IVA.close();
    if (!storeSettings())
        showDataError(DatabaseError(
            QStringLiteral("Impossibile scrivere %1: %2").arg(ini_.path(), ini_.errorString())));
    return true;
}

void TfrmIntesta::done(int r) {
    if (!formClose()) return;
    QDialog::done(r);
}
