#include "widgets/dataerror.h"

#include <vector>

#include "common/messages.h"

namespace {
std::vector<DataErrorTranslator>& translators() {
    static std::vector<DataErrorTranslator> list;
    return list;
}
}  // namespace

void addDataErrorTranslator(DataErrorTranslator translator) {
    translators().push_back(std::move(translator));
}

void showDataError(const DatabaseError& error) {
    for (const auto& t : translators()) {
        const QString text = t(error.text());
        if (!text.isEmpty()) {
            Mymsg::message(text);
            return;
        }
    }
    Mymsg::error(error.text());
}
