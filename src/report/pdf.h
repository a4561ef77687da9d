#pragma once
#include <QIODevice>
#include <QString>

#include "report/prepared.h"

namespace report {

// Writes the pages as PDF, each page at its own size in mm.
bool writePdf(const PreparedReport& report, QIODevice& device, QString* error);
bool writePdfFile(const PreparedReport& report, const QString& path, QString* error);

}  // namespace report
