// The program's windows and list commands that exist so far. Each later window adds its factory
// here under its class name (the start-up order is windowOrder()'s); its menu command is enabled
// as soon as the factory is present.
#include "app/mainform.h"

QHash<QString, WindowFactory> programWindowFactories() {
    QHash<QString, WindowFactory> f;
    return f;
}

QHash<QString, CommandHandler> programCommandHandlers() { return {}; }
