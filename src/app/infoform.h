#pragma once
// The about window: created when chosen from the Help menu, shown modally, freed when closed.
#include <QDialog>

class TfrmInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInfo(QWidget* parent = nullptr);

    static QString makerAddress() {
        return QStringLiteral("Via dei Vigneti 12 - 31015 Conegliano (TV)");
    }
    static QString makerPhone() { return QStringLiteral("Tel. 0438 000 000"); }
    static QString makerWeb() { return QStringLiteral("www.quorvanel.it"); }
};
