#include "app/infoform.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/artwork.h"

namespace {
QLabel* text(QWidget* parent, const char* name, const QString& t, int pointSize = 0,
             bool bold = false) {
    auto* l = new QLabel(t, parent);
    l->setObjectName(QString::fromLatin1(name));
    if (pointSize > 0 || bold) {
        QFont f = l->font();
        if (pointSize > 0) f.setPointSize(pointSize);
        f.setBold(bold);
        l->setFont(f);
    }
    return l;
}
}  // namespace

TfrmInfo::TfrmInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Informazioni"));
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(programIcon(64));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);

    auto* lines = new QVBoxLayout;
    lines->addWidget(
        text(this, "lbl_prodotto", QStringLiteral("Quorvanel - VinordaLestro"), 13, true));
    lines->addSpacing(6);
    lines->addWidget(text(this, "lbl_titolo", applicationTitle(), 0, true));
    lines->addWidget(text(this, "lbl_descrizione", QStringLiteral("Fatturazione e Vendita Sfuso")));
    lines->addWidget(text(this, "lbl_registro", QStringLiteral("VIREG / MIPAAF")));
    lines->addSpacing(6);
    lines->addWidget(text(this, "lbl_indirizzo", makerAddress()));
    lines->addWidget(text(this, "lbl_telefono", makerPhone()));
    lines->addWidget(text(this, "lbl_web", makerWeb()));
    top->addLayout(lines);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
