#include "stock/ask.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/dataerror.h"
#include "widgets/datagrid.h"
#include "widgets/formgeometry.h"
#include "widgets/zoom.h"

Tfrm_ask::Tfrm_ask(Database& db, int zoom, QWidget* parent) : QDialog(parent), ricerca_(db, this) {
    setObjectName(QStringLiteral("Tfrm_ask"));
    setWindowTitle(QStringLiteral("Ricerca prodotti"));
    applyZoomFont(this, zoom);
    auto* lay = new QVBoxLayout(this);
    auto* lbl =
        new QLabel(QStringLiteral("Ricerca per Codice Prodotto, ID oppure descrizione"), this);
    lay->addWidget(lbl);
    filtro_ = new QLineEdit(this);
    filtro_->setObjectName(QStringLiteral("filtro"));
    lbl->setBuddy(filtro_);
    lay->addWidget(filtro_);
    grid_ = new DataGrid(this);
    grid_->setObjectName(QStringLiteral("dbgProdotti"));
    grid_->setDataSet(ricerca_.listaprodotti,
                      {{QStringLiteral("Auto_ID"), QStringLiteral("ID")},
                       {QStringLiteral("Codice_prodotto"), QStringLiteral("Codice Prodotto")},
                       {QStringLiteral("Bottiglia"), {}},
                       {QStringLiteral("Descrizione"), {}}});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setStretchLastSection(true);
    lay->addWidget(grid_, 1);
    auto* buttons = new QHBoxLayout;
    auto* sel = new QPushButton(QStringLiteral("Seleziona questo prodotto"), this);
    sel->setObjectName(QStringLiteral("btn_seleziona"));
    sel->setDefault(true);
    auto* ann = new QPushButton(QStringLiteral("Annulla"), this);
    ann->setObjectName(QStringLiteral("btn_annulla"));
    ann->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(sel);
    buttons->addWidget(ann);
    lay->addLayout(buttons);
    connect(filtro_, &QLineEdit::textChanged, this, &Tfrm_ask::filtroChange);
    connect(sel, &QPushButton::clicked, this, &Tfrm_ask::btn_selezionaClick);
    connect(ann, &QPushButton::clicked, this, &Tfrm_ask::btn_annullaClick);
    connect(grid_, &QAbstractItemView::doubleClicked, this, &Tfrm_ask::btn_selezionaClick);
    resize(QSize(640, 480) * zoomFactor(zoom));
    FormGeometry::fitToScreen(this);
}

void Tfrm_ask::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void Tfrm_ask::FormShow() {
    try {
        {
            const QSignalBlocker block(filtro_);
            filtro_->clear();
        }
        ricerca_.FormShow();
    } catch (const DatabaseError& err) {
        showDataError(err);
    }
    filtro_->setFocus();
}

void Tfrm_ask::filtroChange(const QString& text) {
    ricerca_.setFiltro(text);
}

void Tfrm_ask::btn_selezionaClick() {
    const auto id = ricerca_.seleziona();
    {
        const QSignalBlocker block(filtro_);
        filtro_->clear();
    }
    if (id && target_) target_->setText(*id);
    accept();
}

void Tfrm_ask::btn_annullaClick() {
    reject();
}

void Tfrm_ask::reject() {
    ricerca_.annulla();
    QDialog::reject();
}
