#include <QApplication>
#include <QFileInfo>

#include "app/artwork.h"
#include "app/mainform.h"
#include "app/splashform.h"
#include "app/wheelfilter.h"
#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "platform/singleinstance.h"
#include "widgets/dialogmessages.h"
#include "widgets/lockwaitnotice.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QFileInfo(QString::fromLocal8Bit(argv[0])).fileName());
    QApplication::setWindowIcon(QIcon(programIcon(64)));
    installItalianLocale();
    installQtItalianTranslations();

    // One copy per user: a second one brings the first to the front and ends without a word.
    SingleInstance single;
    if (!single.tryBecomePrimary(QApplication::applicationName())) {
        single.notifyPrimary();
        return 0;
    }

    DialogMessages messages;
    messages.setTitle(applicationTitle());
    Mymsg::install(&messages);
    WheelToArrowFilter wheel;
    app.installEventFilter(&wheel);

    TSplashForm splash;
    splash.showNow();

    Database db;
    LockWaitNotice lockWait(db);
    SharedData shared(db);
    TMainForm mainForm(db, shared);
    messages.setParent(&mainForm);
    QObject::connect(&single, &SingleInstance::activateRequested, &mainForm,
                     &TMainForm::bringToFront);
    mainForm.FormCreate();
    mainForm.createWindows();

    splash.finish();
    mainForm.showMainWindow();
    const int rc = app.exec();
    Mymsg::install(nullptr);
    return rc;
}
