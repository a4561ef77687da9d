#include "printing/settastampante.h"

#include <QFileInfo>

#include "common/helpers.h"
#include "common/messages.h"
#include "report/templatefile.h"

QString PrintRoutine::resolvePrinter(const QString& stored, const QStringList& installed,
                                     const QString& defaultPrinter) {
    if (installed.isEmpty()) return defaultPrinter;  // a default without a list: trust it
    // An empty name is the beginning of every name, but names no printer.
    const int index = stored.isEmpty() ? -1 : looklist(installed, stored);
    if (index >= 0) return installed.at(index);
    if (!defaultPrinter.isEmpty()) return defaultPrinter;
    return installed.first();
}

bool PrintRoutine::isNegativeDocument() const {
    const report::ReportDataSource* fatture =
        sources_ ? sources_->find(QStringLiteral("Fatture")) : nullptr;
    if (!fatture || !fatture->isOpen() || fatture->eof()) return false;
    const QVariant total = fatture->value(QStringLiteral("Totale"));
    return !total.isNull() && total.toDouble() < 0;
}

bool PrintRoutine::isEmptySource(const QString& name) const {
    const report::ReportDataSource* source = sources_ ? sources_->find(name) : nullptr;
    return !source || !source->isOpen() || source->isEmpty();
}

bool PrintRoutine::setta_stampante(const QString& name, const QString& title, bool document,
                                   PrintMode output, int printer) {
    // 1. Template. A failed load leaves the previous template in place for the designer.
    QString error;
    if (!loadTemplateNamed(name, &error)) {
        Mymsg::error(error);
        return false;
    }
    if (templateLoaded) templateLoaded(name);

    // 2. Title: the preview's caption and the job's name.
    const QString reportTitle = title;

    // 3. Printer.
    const bool receipt = printer == 2;
    const QString stored = receipt ? settings_.receiptPrinter : settings_.mainPrinter;
    lastPrinter_ = resolvePrinter(stored, output_.installedPrinters(), output_.defaultPrinter());

    // 4. Credit note.
    if (document && isNegativeDocument()) {
        report::ReportObject* fatt = report_.findObject(QStringLiteral("Fatt"));
        if (!fatt) {
            Mymsg::error(QStringLiteral("Oggetto \"Fatt\" non trovato nel report \"%1\"")
                             .arg(QFileInfo(path_).completeBaseName()));
            return false;
        }
        fatt->text = QStringLiteral("Nota di accredito");
    }

    // 5. Journal: the page of direct sales first, so that the first page keeps its position.
    if (name == QStringLiteral("movimenti")) {
        if (isEmptySource(QStringLiteral("corrispettivi")) && report_.pages.size() >= 2)
            report_.pages.erase(report_.pages.begin() + 1);
        if (isEmptySource(QStringLiteral("documenti")) && !report_.pages.empty())
            report_.pages.erase(report_.pages.begin());
    }

    // 6. Contextual editor: design instead of printing.
    if (inlineEditor_) {
        output_.openDesigner(report_, path_);
        return false;
    }

    // 7. Output. A journal without any movement has lost both pages: nothing to show.
    if (report_.pages.empty()) {
        Mymsg::message(QStringLiteral("   Nessun movimento da stampare   "));
        return false;
    }
    if (output == PrintMode::Preview) {
        // Only a job sent from the preview counts; looking at it prints nothing.
        const bool printed = output_.preview(report_, path_, reportTitle, lastPrinter_);
        if (printed) frReport1AfterPrint();
        return printed;
    }
    const int copies = output == PrintMode::TwoCopies ? 2 : 1;
    bool printed = false;
    for (int copy = 0; copy < copies; ++copy) {
        // A refused copy has shown its error; the second would only repeat it.
        if (!output_.print(report_, path_, reportTitle, lastPrinter_)) break;
        printed = true;
        frReport1AfterPrint();
        // No cut without a printed copy, nor on a PDF written for want of a printer.
        if (receipt && !lastPrinter_.isEmpty()) output_.cut(lastPrinter_);
    }
    return printed;
}

bool PrintRoutine::loadTemplateNamed(const QString& name, QString* error) {
    const QString path = dataFolder_ + QStringLiteral("stampe/") + name + QStringLiteral(".frf");
    report::Report loaded;
    if (!report::loadTemplate(path, &loaded, error)) return false;
    report_ = std::move(loaded);
    path_ = path;
    loaded_ = true;
    return true;
}

void PrintRoutine::Personalizzazionestampe1Click() {
    if (!loaded_) {
        report_ = report::emptyReport();
        path_.clear();
        loaded_ = true;
    }
    output_.openDesigner(report_, path_);
}
