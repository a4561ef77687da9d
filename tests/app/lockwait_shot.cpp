// Shows the main window over a data folder while another workstation (a sqlite3 process) holds
// the database and a write waits for it, to look at the busy note and, after the wait limit,
// the message (not a test).
//   lockwait_shot DATA_FOLDER [LIMIT_MS]
#include <QApplication>
#include <QProcess>
#include <QTimer>

#include "app/mainform.h"
#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "widgets/dialogmessages.h"
#include "widgets/lockwaitnotice.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    if (argc < 2) return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    DialogMessages dialogs;
    Mymsg::install(&dialogs);
    Database db;
    LockWaitNotice notice(db);
    SharedData shared(db);
    TMainForm form(db, shared);
    form.FormCreate(folder + QStringLiteral("vinorda.ini"));
    form.showMainWindow();
    db.setLockWaitLimit(argc > 2 ? QByteArray(argv[2]).toInt() : 60000);
    QProcess other;
    other.start(QStringLiteral("sqlite3"), {folder + Database::fileName()});
    other.write("BEGIN IMMEDIATE;\n");
    QTimer::singleShot(1500, &form, [&] {
        try {
            Database::Transaction t(db);
            db.exec(QStringLiteral("UPDATE Intesta SET CodiceAZ = CodiceAZ"));
            t.commit();
        } catch (const DatabaseError& e) {
            Mymsg::error(e.text());
        }
    });
    const int rc = app.exec();
    Mymsg::install(nullptr);
    return rc;
}
