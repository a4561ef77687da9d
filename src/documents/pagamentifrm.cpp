#include "documents/pagamentifrm.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/messages.h"
#include "widgets/buttons.h"
#include "widgets/dataerror.h"
#include "widgets/datagrid.h"
#include "widgets/datefield.h"
#include "widgets/formgeometry.h"
#include "widgets/zoom.h"

namespace {
// A yes/no cell switched by a click or the space bar, as a tick box is.
class TickDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return nullptr;
    }
    bool editorEvent(QEvent* e, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        const bool click = e->type() == QEvent::MouseButtonDblClick;
        const bool space =
            e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space;
        if ((click || space) && (index.flags() & Qt::ItemIsEditable)) {
            const bool on = index.data(Qt::EditRole).toString() == u"1" ||
                            index.data(Qt::DisplayRole).toString() == u"Sì";
            model->setData(index, on ? QStringLiteral("No") : QStringLiteral("Sì"), Qt::EditRole);
            return true;
        }
        return QStyledItemDelegate::editorEvent(e, model, option, index);
    }
};
}  // namespace

QString Tfrmpagamenti::msgNienteDaStampare() {
    return QStringLiteral("   Non ci sono righe da stampare !   ");
}

Tfrmpagamenti::Tfrmpagamenti(Database& db, int zoom, QWidget* parent)
    : QDialog(parent), pagamenti(db, QStringLiteral("pagamenti"), this) {
    setObjectName(QStringLiteral("Tfrmpagamenti"));
    setWindowTitle(QStringLiteral("Gestione pagamenti"));
    applyZoomFont(this, zoom);
    preparaPagamenti(pagamenti);

    auto* lay = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto dateEdit = [this](const char* name, const QString& caption, QHBoxLayout* row) {
        auto* l = new QLabel(caption, this);
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
        e->setMaximumWidth(e->fontMetrics().averageCharWidth() * 12 + 16);
        l->setBuddy(e);
        row->addWidget(l);
        row->addWidget(e);
        return e;
    };
    daData_ = dateEdit("da_data", QStringLiteral("Dalla data"), top);
    aData_ = dateEdit("a_data", QStringLiteral("Alla data"), top);
    daCheck_ = new DateFieldCheck(daData_);
    aCheck_ = new DateFieldCheck(aData_);
    auto* lc = new QLabel(QStringLiteral("Cliente"), this);
    soloCliente_ = new QLineEdit(this);
    soloCliente_->setObjectName(QStringLiteral("solo_cliente"));
    soloCliente_->setMaxLength(60);
    lc->setBuddy(soloCliente_);
    top->addWidget(lc);
    top->addWidget(soloCliente_, 1);
    ckPaga_ = new QCheckBox(QStringLiteral("non pagate"), this);
    ckPaga_->setObjectName(QStringLiteral("ck_paga"));
    top->addWidget(ckPaga_);
    filtro_ = new QPushButton(QStringLiteral("Filtro"), this);
    filtro_->setObjectName(QStringLiteral("filtro"));
    filtro_->setCheckable(true);
    filtro_->setAutoDefault(false);
    top->addWidget(filtro_);
    auto* refresh = new QToolButton(this);
    refresh->setObjectName(QStringLiteral("SpeedButton1"));
    refresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    refresh->setToolTip(QStringLiteral("Rilegge l'elenco"));
    top->addWidget(refresh);
    auto* stampa = new QPushButton(this);
    stampa->setObjectName(QStringLiteral("BitBtn4"));
    imposta_pulsanti(stampa, ImgStampa, QStringLiteral("Stampa"));
    stampa->setAutoDefault(false);
    top->addWidget(stampa);
    lay->addLayout(top);

    grid_ = new DataGrid(this);
    grid_->setObjectName(QStringLiteral("ExDBGrid1"));
    grid_->setDataSet(
        pagamenti, {GridColumn("Docum_numero", nullptr, true, true),
                    GridColumn("Anno", nullptr, true), GridColumn("Num_fattura", "Num.", true),
                    GridColumn("Data", nullptr, true), GridColumn("RagioneSociale", nullptr, true),
                    GridColumn("Totale"), GridColumn("Pagato_il", "Data pagamento"),
                    GridColumn("Pagato"), GridColumn("Pagato_note", "Annotazioni")});
    grid_->setItemDelegateForColumn(grid_->dataModel()->columnOf(QStringLiteral("Pagato")),
                                    new TickDelegate(grid_));
    grid_->setColumnWidth(grid_->dataModel()->columnOf(QStringLiteral("RagioneSociale")),
                          grid_->fontMetrics().averageCharWidth() * 34 + 16);
    grid_->horizontalHeader()->setStretchLastSection(true);
    lay->addWidget(grid_, 1);

    connect(filtro_, &QPushButton::clicked, this, [this] { filtroClick(); });
    connect(refresh, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(stampa, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    resize(QSize(1000, 600) * zoomFactor(zoom));
    FormGeometry::fitToScreen(this);
}

Tfrmpagamenti::~Tfrmpagamenti() {
    // The grids go while the data sets they show still exist.
    hide();
    delete grid_;
}

bool Tfrmpagamenti::salvaRiga() {
    try {
        return !pagamenti.isOpen() || pagamenti.checkBrowseMode();
    } catch (const DatabaseError& e) {
        showDataError(e);
        return false;
    }
}

bool Tfrmpagamenti::criteri(FiltroPagamenti* f) {
    if (!daCheck_->check() || !aCheck_->check()) return false;
    f->cliente = soloCliente_->text().trimmed();
    f->da = daCheck_->date();
    f->a = aCheck_->date();
    f->nonPagate = ckPaga_->isChecked();
    return true;
}

void Tfrmpagamenti::filtroClick() {
    const bool on = filtro_->isChecked();
    FiltroPagamenti f;
    // A row that cannot be stored, or a criterion that is not a date, leaves the list as it was.
    if (!salvaRiga() || (on && !criteri(&f))) {
        filtro_->setChecked(pagamenti.isFiltered());
        return;
    }
    try {
        filtraPagamenti(pagamenti, on, f);
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

void Tfrmpagamenti::SpeedButton1Click() {
    FiltroPagamenti f;
    if (!salvaRiga() || (filtro_->isChecked() && !criteri(&f))) return;
    try {
        if (!pagamenti.isOpen()) return;
        // Read again: other workstations may have recorded payments meanwhile.
        pagamenti.refresh();
        filtraPagamenti(pagamenti, filtro_->isChecked(), f);
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
}

void Tfrmpagamenti::BitBtn4Click() {
    if (!salvaRiga()) return;
    if (!pagamenti.isOpen() || pagamenti.isEmpty()) {
        Mymsg::message(msgNienteDaStampare());
        return;
    }
    if (print_) print_(QStringLiteral("pagamenti"), QStringLiteral("Elenco pagamenti"));
}

bool Tfrmpagamenti::FormClose() {
    if (!salvaRiga()) return false;
    filtro_->setChecked(false);
    try {
        filtraPagamenti(pagamenti, false, {});
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
    return true;
}

void Tfrmpagamenti::done(int r) {
    if (!FormClose()) return;
    QDialog::done(r);
}
