#include "widgets/navigator.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

#include "common/messages.h"
#include "data/dataset.h"
#include "widgets/dataerror.h"

namespace {
struct ButtonDef {
    RecordNavigator::Button id;
    const char* name;
    const char* text;
    const char* hint;
};
constexpr ButtonDef defs[] = {
    {RecordNavigator::First, "nav_first", "|◀", "Inizio"},
    {RecordNavigator::Prior, "nav_prior", "◀", "Indietro"},
    {RecordNavigator::Next, "nav_next", "▶", "Avanti"},
    {RecordNavigator::Last, "nav_last", "▶|", "Fine"},
    {RecordNavigator::Insert, "nav_insert", "+", "Inserisci"},
    {RecordNavigator::Delete, "nav_delete", "−", "Cancella"},
    {RecordNavigator::Edit, "nav_edit", "▲", "Modifica"},
    {RecordNavigator::Post, "nav_post", "✔", "Registra"},
    {RecordNavigator::Cancel, "nav_cancel", "✖", "Annulla"},
    {RecordNavigator::Refresh, "nav_refresh", "↻", "Aggiorna"},
};
}  // namespace

RecordNavigator::RecordNavigator(QWidget* parent, Buttons which) : QWidget(parent) {
    auto* lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(1);
    for (const auto& d : defs) {
        if (!(which & d.id)) continue;
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(d.name));
        b->setText(QString::fromUtf8(d.text));
        b->setToolTip(QString::fromUtf8(d.hint));
        b->setMinimumSize(28, 26);
        // Reachable with Tab; a click leaves the focus where it was (on the grid).
        b->setFocusPolicy(Qt::TabFocus);
        const Button id = d.id;
        connect(b, &QToolButton::clicked, this, [this, id] { doAction(id); });
        lay->addWidget(b);
        buttons_.insert(int(d.id), b);
    }
    lay->addStretch();
    updateButtons();
}

void RecordNavigator::setDataSet(DataSet* ds) {
    for (const auto& c : links_) disconnect(c);
    links_.clear();
    ds_ = ds;
    if (ds_) {
        auto up = [this] { updateButtons(); };
        links_ << connect(ds_, &DataSet::reset, this, up);
        links_ << connect(ds_, &DataSet::currentChanged, this, up);
        links_ << connect(ds_, &DataSet::stateChanged, this, up);
        links_ << connect(ds_, &DataSet::readOnlyChanged, this, up);
        links_ << connect(ds_, &DataSet::rowInserted, this, up);
        links_ << connect(ds_, &DataSet::rowRemoved, this, up);
    }
    updateButtons();
}

void RecordNavigator::updateButtons() {
    const bool open = ds_ && ds_->isOpen();
    const bool editing = open && ds_->isEditing();
    const bool writable = open && ds_->canModify();
    const int row = open ? ds_->recNo() : -1;
    const int count = open ? ds_->recordCount() : 0;
    auto set = [this](Button b, bool on) {
        if (QToolButton* t = buttons_.value(int(b))) t->setEnabled(on);
    };
    set(First, open && row > 0);
    set(Prior, open && row > 0);
    set(Next, open && row >= 0 && row < count - 1);
    set(Last, open && row >= 0 && row < count - 1);
    set(Insert, writable);
    set(Delete, writable && count > 0 && !(editing && ds_->state() == DataSet::State::Insert));
    set(Edit, writable && !editing && count > 0);
    set(Post, editing);
    set(Cancel, editing);
    set(Refresh, open);
}

void RecordNavigator::doAction(Button b) {
    if (!ds_ || !ds_->isOpen()) return;
    try {
        switch (b) {
            case First:
                ds_->first();
                break;
            case Prior:
                ds_->prior();
                break;
            case Next:
                ds_->next();
                break;
            case Last:
                ds_->last();
                break;
            case Insert:
                if (ds_->checkBrowseMode()) ds_->append();
                break;
            case Delete:
                if (ds_->isEditing()) ds_->cancel();
                if (!ds_->isEmpty() &&
                    (deleteQuestion_.isEmpty() || Mymsg::confirmDelete(deleteQuestion_)))
                    ds_->remove();
                break;
            case Edit:
                ds_->tryEdit();
                break;
            case Post:
                if (ds_->isEditing()) ds_->post();
                break;
            case Cancel:
                ds_->cancel();
                break;
            case Refresh:
                if (ds_->checkBrowseMode()) ds_->refresh();
                break;
        }
    } catch (const DatabaseError& e) {
        showDataError(e);
    }
    updateButtons();
}
