#include "panel/videocliente.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "documents/kinds.h"
#include "panel/dialoghi.h"
#include "widgets/dataerror.h"
#include "widgets/datagrid.h"

namespace {
constexpr int passo = 15;  // rows moved by the two middle scroll buttons

// The scroll buttons' pictures: one triangle up or down, two for a move to the end.
QIcon freccia(bool su, bool fine) {
    const int lato = 40;
    QPixmap pm(lato, lato);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x7b, 0x12, 0x2a));
    auto triangolo = [&](double y) {
        const double h = 12;
        QPolygonF t;
        if (su)
            t << QPointF(8, y + h) << QPointF(32, y + h) << QPointF(20, y);
        else
            t << QPointF(8, y) << QPointF(32, y) << QPointF(20, y + h);
        p.drawPolygon(t);
    };
    if (fine) {
        p.drawRect(su ? QRectF(8, 6, 24, 4) : QRectF(8, 30, 24, 4));
        triangolo(su ? 12 : 16);
    } else {
        triangolo(14);
    }
    return QIcon(pm);
}
}  // namespace

Tfrmvideocli::Tfrmvideocli(Database& db, QWidget* parent)
    : QDialog(parent), clienti(db, QStringLiteral("clienti"), this) {
    preparaDialogo(this, "Tfrmvideocli",
                   QStringLiteral("Stampa Ricevute, Fatture e Documenti di trasporto"), 14);

    clienti.setTable(QStringLiteral("Anagrafica"));
    clienti.sortBy(QStringLiteral("RagioneSociale"));
    clienti.setReadOnly(true);
    clienti.onFilterRecord = [this](DataSet& ds) { return clientiFilterRecord(ds); };
    clienti.setFiltered(true);

    auto* lay = new QVBoxLayout(this);
    auto* kinds = new QHBoxLayout;
    tipi_ = new QButtonGroup(this);
    tipi_->setExclusive(true);
    const struct {
        const char* name;
        const char* caption;
        Tipo tipo;
    } bottoni[] = {{"doc_ricevuta", "Ricevuta per cliente privato", Ricevuta},
                   {"doc_trasporto", "Documento di trasporto", Trasporto},
                   {"doc_fattura", "Fattura immediata", Fattura}};
    for (const auto& b : bottoni) {
        auto* k = new QPushButton(QString::fromUtf8(b.caption), this);
        k->setObjectName(QString::fromLatin1(b.name));
        k->setCheckable(true);
        k->setAutoDefault(false);
        k->setMinimumHeight(misura(56));
        // The kind chosen must be seen at a glance.
        k->setStyleSheet(
            QStringLiteral("QPushButton { padding: 4px 10px; }"
                           "QPushButton:checked { background: #7b122a; color: white;"
                           " border: 2px solid #3f0614; border-radius: 3px; }"));
        tipi_->addButton(k, b.tipo);
        kinds->addWidget(k);
    }
    tipi_->button(Ricevuta)->setChecked(true);
    connect(tipi_, &QButtonGroup::idClicked, this, [this] { Seleziona_top(); });
    lay->addLayout(kinds);

    auto* middle = new QHBoxLayout;
    griglia_ = new DataGrid(this);
    griglia_->setObjectName(QStringLiteral("DBGrid1"));
    griglia_->setDataSet(clienti, {GridColumn("RagioneSociale", "selezionate il cliente", true)});
    griglia_->setSelectionBehavior(QAbstractItemView::SelectRows);
    griglia_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    griglia_->horizontalHeader()->setStretchLastSection(true);
    griglia_->verticalHeader()->setDefaultSectionSize(misura(48));
    griglia_->setMinimumSize(misura(560), misura(8 * 48 + 40));
    middle->addWidget(griglia_, 1);
    auto* scroll = new QVBoxLayout;
    const struct {
        const char* name;
        bool su, fine;
        void (Tfrmvideocli::*slot)();
        const char* tip;
    } frecce[] = {
        {"SpeedButton1", true, true, &Tfrmvideocli::SpeedButton1Click, "Primo cliente"},
        {"SpeedButton2", true, false, &Tfrmvideocli::SpeedButton2Click, "15 righe su"},
        {"SpeedButton3", false, false, &Tfrmvideocli::SpeedButton3Click, "15 righe giù"},
        {"SpeedButton4", false, true, &Tfrmvideocli::SpeedButton4Click, "Ultimo cliente"}};
    for (const auto& f : frecce) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(f.name));
        b->setIcon(freccia(f.su, f.fine));
        b->setIconSize(QSize(misura(40), misura(40)));
        b->setFixedSize(misura(64), misura(64));
        b->setToolTip(QString::fromUtf8(f.tip));
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, f.slot);
        scroll->addWidget(b);
    }
    scroll->addStretch();
    middle->addLayout(scroll);
    lay->addLayout(middle, 1);

    const BottoniDialogo b = bottoniAnnullaStampa(this, lay, "BitBtn2", "BitBtn5");
    connect(b.annulla, &QPushButton::clicked, this, &Tfrmvideocli::BitBtn2Click);
    connect(b.stampa, &QPushButton::clicked, this, &Tfrmvideocli::BitBtn3Click);
}

Tfrmvideocli::Tipo Tfrmvideocli::tipo() const {
    return Tipo(tipi_->checkedId());
}

int Tfrmvideocli::tipoDocumento() const {
    switch (tipo()) {
        case Trasporto:
            return KindDdt;
        case Fattura:
            return KindFattura;
        case Ricevuta:
            break;
    }
    return KindRicevuta;
}

void Tfrmvideocli::setTipo(Tipo t) {
    tipi_->button(t)->setChecked(true);
    Seleziona_top();
}

QString Tfrmvideocli::cliente() const {
    return scelto_;
}

bool Tfrmvideocli::clientiFilterRecord(DataSet& ds) const {
    const QString g = ds.field(QStringLiteral("Giur_Pers")).asString();
    if (tipo() == Ricevuta) return g == QLatin1String("X");
    return g == QLatin1String("G") || g == QLatin1String("P");
}

void Tfrmvideocli::Seleziona_top() {
    if (!clienti.isOpen()) return;
    // The filter reads the kind now down: the list is read again under it.
    clienti.setFiltered(false);
    clienti.setFiltered(true);
    clienti.first();
}

bool Tfrmvideocli::esegui() {
    stampa_confermata = false;
    scelto_.clear();
    try {
        clienti.open();
    } catch (const DatabaseError& e) {
        showDataError(e);
        return false;
    }
    FormShow();
    exec();
    clienti.close();
    return stampa_confermata;
}

void Tfrmvideocli::FormShow() {
    stampa_confermata = false;
    Seleziona_top();
    griglia_->setFocus();
}

void Tfrmvideocli::sposta(int righe) {
    if (!clienti.isOpen() || clienti.isEmpty()) return;
    clienti.setRecNo(qBound(0, clienti.recNo() + righe, clienti.recordCount() - 1));
}

void Tfrmvideocli::SpeedButton1Click() {
    if (clienti.isOpen()) clienti.first();
}

void Tfrmvideocli::SpeedButton2Click() {
    sposta(-passo);
}

void Tfrmvideocli::SpeedButton3Click() {
    sposta(passo);
}

void Tfrmvideocli::SpeedButton4Click() {
    if (clienti.isOpen()) clienti.last();
}

void Tfrmvideocli::BitBtn2Click() {
    stampa_confermata = false;
    QDialog::reject();
}

void Tfrmvideocli::BitBtn3Click() {
    scelto_ = clienti.isOpen() && !clienti.isEmpty()
                  ? clienti.field(QStringLiteral("Codice")).asString()
                  : QString();
    stampa_confermata = true;
    accept();
}

void Tfrmvideocli::reject() {
    BitBtn2Click();
}
