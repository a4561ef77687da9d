#pragma once
// The templates the program prints, each with the title it is printed under (the preview's
// caption and the job's name).
#include <QString>
#include <QStringList>
#include <QVector>

struct PrintTemplate {
    QString name;   // file stampe/<name>.frf
    QString title;  // passed to setta_stampante
    bool document;  // a sales document (printed for the current Fatture row)
};

const QVector<PrintTemplate>& printTemplates();
// The template of that name (case ignored), or nullptr.
const PrintTemplate* findPrintTemplate(const QString& name);
QStringList printTemplateNames();
