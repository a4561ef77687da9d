// The program's windows and list commands that exist so far. Each later window adds its factory
// here under its class name (the start-up order is windowOrder()'s); its menu command is enabled
// as soon as the factory is present.
#include "app/mainform.h"
#include "data/shareddata.h"

#ifdef VINORDA_HAVE_MASTERDATA_UI
#include "masterdata/frmclienti.h"
#include "masterdata/frmintesta.h"
#include "masterdata/frmlistino.h"
#include "masterdata/masterdata_rules.h"
#endif

void attachProgramRules(SharedData& shared) {
#ifdef VINORDA_HAVE_MASTERDATA_UI
    attachMasterDataRules(shared);
#else
    Q_UNUSED(shared);
#endif
}

QHash<QString, WindowFactory> programWindowFactories() {
    QHash<QString, WindowFactory> f;
#ifdef VINORDA_HAVE_MASTERDATA_UI
    f.insert(QStringLiteral("TfrmIntesta"), [](TMainForm& m) -> QWidget* {
        return new TfrmIntesta(m.shared(), m.settingsIni(), 100);
    });
    f.insert(QStringLiteral("TfrmClienti"), [](TMainForm& m) -> QWidget* {
        return new TfrmClienti(m.shared(), m.layoutIni(), m.zoom());
    });
    f.insert(QStringLiteral("TfrmListino"), [](TMainForm& m) -> QWidget* {
        return new TfrmListino(m.shared(), m.layoutIni(), m.zoom());
    });
#endif
    return f;
}

QHash<QString, CommandHandler> programCommandHandlers() {
    return {};
}
