#pragma once
// The message dialog of the program: warning icon, centred text, "&Sì"/"&No" or OK, the
// program's title in the caption.
#include <QPointer>
#include <QWidget>

#include "common/messages.h"

class DialogMessages : public MessageService {
public:
    // parent: the window the boxes are centred on (may be null).
    explicit DialogMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // The caption of every box; empty: the application's name.
    void setTitle(const QString& title) { title_ = title; }
    QString title() const;
    void message(const QString& text) override;
    bool question(const QString& text) override;
    bool confirmDelete(const QString& text) override;
    void plain(const QString& text) override;
    void error(const QString& text) override;

private:
    QWidget* owner() const;
    bool ask(const QString& text, bool defaultYes);
    QPointer<QWidget> parent_;
    QString title_;
};
