#pragma once
// One place that shows a data error to the user. Domain modules may register a translator that
// turns a known engine text (a unique index refusing a duplicate code) into a clear message.
#include <QString>
#include <functional>

#include "data/errors.h"

// Returns the message to show for an engine text, or an empty text to show the engine's own.
using DataErrorTranslator = std::function<QString(const QString& engineText)>;
void addDataErrorTranslator(DataErrorTranslator translator);

// The translated message through Mymsg::message, otherwise the engine text in the error box.
void showDataError(const DatabaseError& error);
