#include "documents/selemaga.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "documents/documents_rules.h"
#include "widgets/dataerror.h"
#include "widgets/datagrid.h"
#include "widgets/formgeometry.h"
#include "widgets/navigator.h"
#include "widgets/zoom.h"

QString TSele_maga_frm::msgQuantitaInsufficiente() {
    return QStringLiteral("Quantità insufficiente");
}
QString TSele_maga_frm::msgIndicareQuantita() {
    return QStringLiteral("   Indicare la quantità da inserire !   ");
}
QString TSele_maga_frm::nessunInserimento() {
    return QStringLiteral("Nessun inserimento effettuato");
}

TSele_maga_frm::TSele_maga_frm(SharedData& sd, int zoom, QWidget* parent)
    : QDialog(parent), sd_(sd), rules_(attachDocumentRules(sd)) {
    setObjectName(QStringLiteral("TSele_maga_frm"));
    setWindowTitle(QStringLiteral("Articoli inseribili in fattura"));
    applyZoomFont(this, zoom);
    auto* lay = new QVBoxLayout(this);
    grid_ = new DataGrid(this);
    grid_->setObjectName(QStringLiteral("dbgProdotti"));
    grid_->setDataSet(sd.prodotti,
                      {GridColumn("Codice_prodotto", nullptr, true),
                       GridColumn("Descrizione", nullptr, true), GridColumn("UM", nullptr, true),
                       GridColumn("Bottiglia", nullptr, true), GridColumn("Lotto", nullptr, true),
                       GridColumn("Litri", nullptr, true), GridColumn("Pezzi", nullptr, true)});
    grid_->dataModel()->setEditable(false);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The description takes the room the codes leave; stock and pieces stay in sight.
    const int ch = grid_->fontMetrics().averageCharWidth();
    const int widths[] = {16, 40, 16, 10, 10, 10, 8};
    for (int c = 0; c < 7; ++c) grid_->setColumnWidth(c, ch * widths[c] + 16);
    lay->addWidget(grid_, 1);

    auto* bar = new QHBoxLayout;
    auto* nav = new RecordNavigator(this);
    nav->setDataSet(&sd.prodotti);
    nav->setObjectName(QStringLiteral("DBNavigator1"));
    bar->addWidget(nav);
    bar->addStretch();
    auto* lbl = new QLabel(QStringLiteral("Quantità"), this);
    bar->addWidget(lbl);
    quanti_ = new QLineEdit(this);
    quanti_->setObjectName(QStringLiteral("quanti"));
    quanti_->setAlignment(Qt::AlignRight);
    quanti_->setMaximumWidth(quanti_->fontMetrics().averageCharWidth() * 12 + 16);
    lbl->setBuddy(quanti_);
    bar->addWidget(quanti_);
    auto* ins = new QPushButton(QStringLiteral("&Inserisci"), this);
    ins->setObjectName(QStringLiteral("SpeedButton3"));
    ins->setToolTip(QStringLiteral("Inserisci questa riga"));
    ins->setStatusTip(
        QStringLiteral("Inserisci nel documento questo articolo per la quantità "
                       "indicata"));
    ins->setDefault(true);
    bar->addWidget(ins);
    lay->addLayout(bar);

    stato_ = new QLabel(nessunInserimento(), this);
    stato_->setObjectName(QStringLiteral("StatusBar1"));
    stato_->setFrameShape(QFrame::StyledPanel);
    lay->addWidget(stato_);

    connect(ins, &QPushButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this] { SpeedButton3Click(); });
    connect(grid_, &DataGrid::titleClicked, this,
            [this](const QString& field) { dbgProdottiTitleClick(field); });
    resize(QSize(940, 540) * zoomFactor(zoom));
    FormGeometry::fitToScreen(this);
}

void TSele_maga_frm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Only what can go into a document is offered while the picker is up.
    try {
        if (sd_.prodotti.isOpen()) sd_.prodotti.setFiltered(true);
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    quanti_->setFocus();
}

void TSele_maga_frm::hideEvent(QHideEvent* e) {
    try {
        if (sd_.prodotti.isOpen()) sd_.prodotti.setFiltered(false);
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    QDialog::hideEvent(e);
}

void TSele_maga_frm::dbgProdottiTitleClick(const QString& field) {
    sd_.prodotti.sortBy(field);
}

bool TSele_maga_frm::quantita(double* q) {
    const QString typed = quanti_->text().trimmed();
    switch (parseTypedNumber(typed, q)) {
        case TypedNumber::Ok:
            if (*q != 0) return true;
            break;
        case TypedNumber::Ambiguous:
            Mymsg::message(msgNumeroAmbiguo(typed));
            quanti_->setFocus();
            return false;
        case TypedNumber::Invalid:
            if (!typed.isEmpty()) {
                Mymsg::message(QStringLiteral("   \"%1\" non è una quantità valida   ").arg(typed));
                quanti_->setFocus();
                return false;
            }
            break;
    }
    Mymsg::message(msgIndicareQuantita());
    quanti_->setFocus();
    return false;
}

bool TSele_maga_frm::SpeedButton3Click() {
    DataSet& p = sd_.prodotti;
    DataSet& r = sd_.righe;
    if (!p.isOpen() || p.isEmpty() || !r.isOpen() || !sd_.Fatture.isOpen() || sd_.Fatture.isEmpty())
        return false;
    double q = 0;
    if (!quantita(&q)) return false;
    const QString stato = p.field(QStringLiteral("Stato")).asString();
    if (stato != QLatin1String("0") && q > p.field(QStringLiteral("Pezzi")).asFloat()) {
        Mymsg::message(msgQuantitaInsufficiente());
        quanti_->setFocus();
        return false;
    }
    const QString codice = p.field(QStringLiteral("Codice_prodotto")).asString();
    try {
        // A line still being typed in the documents window is stored first.
        if (!r.checkBrowseMode()) return false;
        r.append();
        if (!rules_.completa_riga(codice, q)) {
            // Refused by the line rules (their message was shown): nothing half stored.
            if (r.isEditing()) r.cancel();
            return false;
        }
    } catch (const DatabaseError& e) {
        if (r.isEditing()) r.cancel();
        showDataError(e);
        return false;
    }
    stato_->setText(QStringLiteral("Ultimo inserimento : %1 %2 %3")
                        .arg(quanti_->text(), r.field(QStringLiteral("UM")).asString(),
                             r.field(QStringLiteral("Descrizione")).asString()));
    quanti_->clear();
    quanti_->setFocus();
    return true;
}
