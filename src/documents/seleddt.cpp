#include "documents/seleddt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/messages.h"
#include "documents/service.h"
#include "widgets/dataerror.h"
#include "widgets/datagrid.h"
#include "widgets/formgeometry.h"
#include "widgets/zoom.h"

Tsele_ddt_frm::Tsele_ddt_frm(Database& db, int zoom, QWidget* parent)
    : QDialog(parent),
      selebolle(db, QStringLiteral("selebolle"), this),
      apporighe(db, QStringLiteral("apporighe"), this),
      db_(db) {
    setObjectName(QStringLiteral("Tsele_ddt_frm"));
    setWindowTitle(QStringLiteral("Documenti di trasporto non fatturati"));
    applyZoomFont(this, zoom);
    selebolle.setStoredQuery(QStringLiteral("BolleDaFatturare"), {QString()});
    selebolle.setReadOnly(true);
    selebolle.afterOpen += [](DataSet& ds) {
        ds.field(QStringLiteral("Totale")).setDisplayFormat(QStringLiteral("0.00;;#"));
    };
    apporighe.setTable(QStringLiteral("Righe"));
    apporighe.setMasterLink(&selebolle, QStringLiteral("Docum_numero"),
                            QStringLiteral("Docum_numero"));
    apporighe.setReadOnly(true);

    auto* lay = new QVBoxLayout(this);
    grid_ = new DataGrid(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setDataSet(
        selebolle, {GridColumn("Docum_numero"), GridColumn("Data"),
                    GridColumn("Tot_Litri", "Litri"), GridColumn("Totale"), GridColumn("Causale")});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setStretchLastSection(true);
    lay->addWidget(grid_, 3);
    // The lines of the delivery note under the cursor, to see what the import will copy.
    righe_ = new DataGrid(this);
    righe_->setObjectName(QStringLiteral("DBGrid2"));
    righe_->setDataSet(apporighe,
                       {GridColumn("Codice"), GridColumn("Descrizione"), GridColumn("UM"),
                        GridColumn("Quantita"), GridColumn("Prezzo"), GridColumn("IVA")});
    righe_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    righe_->setFocusPolicy(Qt::ClickFocus);
    righe_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    lay->addWidget(righe_, 2);

    stato_ = new QLabel(this);
    stato_->setObjectName(QStringLiteral("lblStato"));
    lay->addWidget(stato_);
    auto* buttons = new QHBoxLayout;
    inserisci_ = new QPushButton(QStringLiteral("Inserisci questo Documento in fattura"), this);
    inserisci_->setObjectName(QStringLiteral("BitBtn1"));
    inserisci_->setDefault(true);
    auto* finito = new QPushButton(QStringLiteral("Finito"), this);
    finito->setObjectName(QStringLiteral("BitBtn2"));
    finito->setAutoDefault(false);
    buttons->addWidget(inserisci_);
    buttons->addStretch();
    buttons->addWidget(finito);
    lay->addLayout(buttons);
    connect(inserisci_, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(finito, &QPushButton::clicked, this, &QDialog::accept);
    connect(&selebolle, &DataSet::reset, this,
            [this] { inserisci_->setEnabled(selebolle.isOpen() && !selebolle.isEmpty()); });
    resize(QSize(720, 480) * zoomFactor(zoom));
    FormGeometry::fitToScreen(this);
}

void Tsele_ddt_frm::preparaElenco(const QString& fattura, const QString& cliente) {
    fattura_ = fattura;
    stato_->clear();
    apporighe.close();
    selebolle.close();
    selebolle.setParams({cliente});
    try {
        selebolle.open();
        apporighe.open();
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
    inserisci_->setEnabled(selebolle.isOpen() && !selebolle.isEmpty());
}

void Tsele_ddt_frm::apri(const QString& fattura, const QString& cliente) {
    preparaElenco(fattura, cliente);
    grid_->setFocus();
    exec();
    apporighe.close();
    selebolle.close();
}

Tsele_ddt_frm::~Tsele_ddt_frm() {
    // The grids go while the data sets they show still exist.
    hide();
    delete grid_;
    delete righe_;
}

bool Tsele_ddt_frm::BitBtn1Click() {
    if (!selebolle.isOpen() || selebolle.isEmpty()) return false;
    const QString ddt = selebolle.field(QStringLiteral("Docum_numero")).asString();
    EsitoImportazione esito;
    try {
        esito = importaDdt(db_, fattura_, ddt);
    } catch (const DatabaseError& e) {
        showDataError(e);
        return false;
    }
    if (!esito.ok()) Mymsg::message(esito.rifiuto);
    // Read again either way: an imported note leaves the list, one invoiced elsewhere too.
    try {
        selebolle.refresh();
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
    if (!esito.ok()) return false;
    stato_->setText(QStringLiteral("Inserito %1: %2 righe").arg(ddt).arg(esito.righe));
    return true;
}
