#pragma once
// Reading and writing templates (.frf files, XML; the format is described in README-format.md).
#include <QIODevice>
#include <QString>

#include "report/model.h"

namespace report {

// Reads a template from a device. On failure returns false and sets *error to an Italian text
// (without the file name: the caller names the file).
bool readTemplate(QIODevice& device, Report* report, QString* error);
// Reads a template file; the error names the report and the file. report->name becomes the
// file's base name.
bool loadTemplate(const QString& path, Report* report, QString* error);

// Writes the template; the same model always gives the same bytes.
void writeTemplate(QIODevice& device, const Report& report);
QByteArray templateBytes(const Report& report);
// Saves through QSaveFile, so a failed write leaves the old file in place.
bool saveTemplate(const QString& path, const Report& report, QString* error);

}  // namespace report
