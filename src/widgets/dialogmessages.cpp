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

QString DialogMessages::title() const {
    return title_.isEmpty() ? QApplication::applicationName() : title_;
}

void DialogMessages::message(const QString& text) {
    QMessageBox box(QMessageBox::Warning, title(), text, QMessageBox::Ok, owner());
    centreText(box);
    box.exec();
}

bool DialogMessages::ask(const QString& text, bool defaultYes) {
    QMessageBox box(QMessageBox::Warning, title(), text, QMessageBox::NoButton, owner());
    QPushButton* yes = box.addButton(QStringLiteral("&Sì"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(defaultYes ? yes : no);
    box.setEscapeButton(no);
    centreText(box);
    box.exec();
    return box.clickedButton() == yes;
}

bool DialogMessages::question(const QString& text) {
    return ask(text, true);
}

bool DialogMessages::confirmDelete(const QString& text) {
    return ask(text, false);
}

void DialogMessages::plain(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title(), text, QMessageBox::Ok, owner());
    box.exec();
}

void DialogMessages::error(const QString& text) {
    QMessageBox::critical(owner(), title(), text);
}
