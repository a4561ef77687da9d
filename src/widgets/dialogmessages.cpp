#include "widgets/dialogmessages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {
void centreText(QMessageBox& box) {
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setAlignment(Qt::AlignCenter);
}
}  // namespace

QWidget* DialogMessages::owner() const {
    if (parent_) return parent_;
    return QApplication::activeWindow();
}

void DialogMessages::message(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::Ok,
                    owner());
    centreText(box);
    box.exec();
}

bool DialogMessages::question(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text,
                    QMessageBox::NoButton, owner());
    QPushButton* yes = box.addButton(QStringLiteral("&Sì"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    centreText(box);
    box.exec();
    return box.clickedButton() == yes;
}

void DialogMessages::plain(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    owner());
    box.exec();
}

void DialogMessages::error(const QString& text) {
    QMessageBox::critical(owner(), QApplication::applicationName(), text);
}
