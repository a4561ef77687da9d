#include "app/mainform.h"

#include "app/printservice.h"
#include "widgets/formgeometry.h"
#include "widgets/zoom.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>

#include "app/artwork.h"
#include "app/infoform.h"
#include "app/windowtable.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "platform/desktop.h"

namespace {
// The empty work area: a warm background and a band of pictures along the bottom edge.
class WorkArea : public QWidget {
public:
    explicit WorkArea(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("WorkArea"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = rect();
        QLinearGradient bg(0, 0, 0, r.height());
        bg.setColorAt(0, QColor(0xf7, 0xf1, 0xe6));
        bg.setColorAt(1, QColor(0xe8, 0xdc, 0xc8));
        p.fillRect(r, bg);
        const int bandH = qMin(120, qMax(60, r.height() / 6));
        const QRect band(0, r.height() - bandH, r.width(), bandH);
        QLinearGradient bandBg(band.topLeft(), band.bottomLeft());
        bandBg.setColorAt(0, QColor(0x7b, 0x12, 0x2a));
        bandBg.setColorAt(1, QColor(0x3f, 0x06, 0x14));
        p.fillRect(band, bandBg);
        const QPixmap pic = splashPicture(bandH * 12 / 5, bandH - 12, false);
        for (int x = 8; x < band.width(); x += pic.width() + 16) {
            p.setOpacity(0.85);
            p.drawPixmap(x, band.top() + 6, pic);
        }
        p.setOpacity(1.0);
        QFont f = font();
        f.setPointSizeF(f.pointSizeF() * 2.2);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0x7b, 0x12, 0x2a, 70));
        p.drawText(QRect(0, 0, r.width(), band.top()), Qt::AlignCenter, applicationTitle());
    }
};

// Ends a local event loop when the window it watches is hidden or destroyed.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget* w, QEventLoop* loop) : QObject(w), loop_(loop) {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Close) loop_->quit();
        return false;
    }

private:
    QEventLoop* loop_;
};
}  // namespace

TMainForm::TMainForm(Database& db, SharedData& shared, QWidget* parent)
    : QMainWindow(parent), db_(db), shared_(shared), formIni_(formIniFileName()) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(applicationTitle());
    setWindowIcon(QIcon(programIcon(64)));
    setCentralWidget(new WorkArea(this));
    buildMenu();

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusLine"));
    status->setSizeGripEnabled(false);
    hint_ = new QLabel(status);
    hint_->setObjectName(QStringLiteral("StatusLinePanel"));
    hint_->setFixedWidth(400);
    hint_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    status->addWidget(hint_);
    readOnly_ =
        new QLabel(QStringLiteral(" SOLA LETTURA: le modifiche non vengono salvate "), status);
    readOnly_->setObjectName(QStringLiteral("StatusLineReadOnly"));
    readOnly_->setStyleSheet(
        QStringLiteral("QLabel { background: #b00020; color: white; font-weight: bold; }"));
    readOnly_->hide();
    status->addPermanentWidget(readOnly_);
    setStatusBar(status);
    resize(1024, 700);
}

TMainForm::~TMainForm() {
    waitDatedCopy();
    // The hidden windows were parented to nobody; they go with the main window.
    for (QWidget* w : std::as_const(windows_)) delete w;
}

QString TMainForm::webAddress() {
    return QStringLiteral("https://www.quorvanel.it");
}

int TMainForm::zoom() const {
    return report_.settings.zoom;
}

void TMainForm::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    for (const MenuEntry& e : menuTree()) {
        if (e.kind == MenuEntry::Submenu) {
            QMenu* m = bar->addMenu(e.caption);
            m->setObjectName(e.objectName);
            menus_.insert(e.objectName, m);
            m->menuAction()->setObjectName(e.objectName);
            addEntries(m, e.children);
        } else {
            bar->addAction(addCommand(bar, e));
        }
    }
}

void TMainForm::addEntries(QMenu* menu, const QVector<MenuEntry>& entries) {
    for (const MenuEntry& e : entries) {
        switch (e.kind) {
            case MenuEntry::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Submenu: {
                QMenu* sub = menu->addMenu(e.caption);
                sub->setObjectName(e.objectName);
                sub->menuAction()->setObjectName(e.objectName);
                menus_.insert(e.objectName, sub);
                addEntries(sub, e.children);
                break;
            }
            case MenuEntry::Command:
            case MenuEntry::Check:
                menu->addAction(addCommand(menu, e));
                break;
        }
    }
}

QAction* TMainForm::addCommand(QWidget* owner, const MenuEntry& e) {
    auto* a = new QAction(e.caption, owner);
    a->setObjectName(e.objectName);
    a->setStatusTip(e.hint);
    a->setCheckable(e.kind == MenuEntry::Check);
    actions_.insert(e.objectName, a);
    const QString name = e.objectName;
    if (name == QLatin1String("Manuale1")) {
        connect(a, &QAction::triggered, this, &TMainForm::Manuale1Click);
    } else if (name == QLatin1String("SitoQuorvanel1")) {
        connect(a, &QAction::triggered, this, &TMainForm::SitoQuorvanel1Click);
    } else if (name == QLatin1String("Informazioni1")) {
        connect(a, &QAction::triggered, this, &TMainForm::Informazioni1Click);
    } else if (name == QLatin1String("Uscita1")) {
        connect(a, &QAction::triggered, this, &TMainForm::actFineExecute);
    } else {
        // Windows and lists of later work: present, disabled until they exist.
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, name] { runMenuCommand(name); });
    }
    return a;
}

void TMainForm::FormCreate(const QString& iniPath) {
    layout_.load(formIni_);
    FormGeometry::restore(this, QStringLiteral("Main"), layout_);
    report_ = runStartup(iniPath, db_, shared_);
    startDatedCopy();
    settingsIni_.load(iniPath);
    applyZoom(report_.settings.zoom);
    // One window for everything the user must know, before any error that stops the start.
    if (!report_.warnings.isEmpty())
        Mymsg::message(
            QStringLiteral("   %1   ").arg(report_.warnings.join(QStringLiteral("\n\n"))));
    if (!report_.error.isEmpty()) {
        Mymsg::error(report_.error);
        return;
    }
    // A read-only database stays in sight for the whole run, not only in the start-up message.
    readOnly_->setVisible(db_.isReadOnly());
    readOnly_->setToolTip(db_.readOnlyReason());
    setWindowTitle(applicationTitle());
}

void TMainForm::startDatedCopy() {
    const QString from = report_.maintenance.datedCopyFrom;
    if (from.isEmpty() || datedCopy_.joinable()) return;
    const QString folder = report_.settings.dataFolder;
    const MaintenanceOptions options = maintenanceOptions(report_.settings);
    datedCopy_ = std::thread([this, folder, from, options] {
        // Files only: the copy is read from the checked copy, no connection is shared.
        datedCopyResult_ = DatabaseFiles::takeDatedCopy(folder, from, options);
        const QStringList warnings = datedCopyResult_.warnings;
        if (warnings.isEmpty()) return;
        QMetaObject::invokeMethod(
            this,
            [warnings] {
                Mymsg::message(
                    QStringLiteral("   %1   ").arg(warnings.join(QStringLiteral("\n\n"))));
            },
            Qt::QueuedConnection);
    });
}

MaintenanceResult TMainForm::waitDatedCopy() {
    if (datedCopy_.joinable()) datedCopy_.join();
    return datedCopyResult_;
}

void TMainForm::applyZoom(int percent) {
    if (percent == 100 || percent <= 0) return;
    ::applyZoom(this, percent);
    for (QMenu* m : std::as_const(menus_)) m->setFont(font());
    hint_->setFixedWidth(int(400 * percent / 100.0 + 0.5));
}

void TMainForm::createWindows(const QHash<QString, WindowFactory>& factories,
                              const QHash<QString, CommandHandler>& handlers) {
    attachProgramRules(shared_);
    for (const WindowDef& def : windowOrder()) {
        if (windows_.contains(def.className)) continue;
        const WindowFactory make = factories.value(def.className);
        if (!make) continue;  // not built yet: its command stays disabled
        QWidget* w = nullptr;
        try {
            w = make(*this);
        } catch (const DatabaseError& e) {
            Mymsg::error(e.text());
        }
        if (!w) continue;
        w->hide();
        windows_.insert(def.className, w);
    }
    for (const CommandDef& c : commandTable())
        if (QAction* a = action(c.objectName)) a->setEnabled(windows_.contains(c.windowClass));
    for (auto it = handlers.begin(); it != handlers.end(); ++it) {
        QAction* a = action(it.key());
        if (!a || findCommand(it.key())) continue;
        handlers_.insert(it.key(), it.value());
        a->setEnabled(true);
    }
}

ProgramPrinting& TMainForm::printing() {
    if (!printing_) printing_ = new ProgramPrinting(shared_, this, &settingsIni_);
    return *printing_;
}

void TMainForm::showMainWindow() {
    normal_ = geometry();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = normal_;
        r.moveCenter(screen->availableGeometry().center());
        normal_ = r;
        setGeometry(screen->availableGeometry());
    }
    showMaximized();
}

void TMainForm::showModal(QWidget* window) {
    if (showHook_) {
        showHook_(window);
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->exec();
        return;
    }
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    auto* watcher = new HideWatcher(window, &loop);
    window->show();
    loop.exec();
    delete watcher;
    window->hide();
}

void TMainForm::runMenuCommand(const QString& objectName) {
    if (const CommandHandler h = handlers_.value(objectName)) {
        try {
            h(*this);
        } catch (const DatabaseError& e) {
            Mymsg::error(e.text());
        }
        return;
    }
    const CommandDef* cmd = findCommand(objectName);
    if (!cmd) return;
    QWidget* window = windows_.value(cmd->windowClass);
    if (!window) return;
    const DataSetResolver resolve = [this, window](const QString& name) -> DataSet* {
        if (DataSet* ds = sharedDataSet(shared_, name)) return ds;
        for (DataSet* ds : window->findChildren<DataSet*>())
            if (ds->name() == name) return ds;
        return nullptr;
    };
    runCommand(*cmd, resolve, [this, window] { showModal(window); });
    if (objectName == QLatin1String("Registrazione1")) refreshPrinterSettings();
}

void TMainForm::refreshPrinterSettings() {
    // The header window stores printers and export folder; the rest of the run uses the new
    // ones. The data folder and the zoom stay as they were at start-up.
    IniFile ini;
    ini.load(settingsIni_.path());
    const AppSettings fresh = readSettings(ini);
    AppSettings s = App::settings();
    s.stampante1 = fresh.stampante1;
    s.stampante2 = fresh.stampante2;
    s.esportazione = fresh.esportazione;
    s.exportFolder = fresh.exportFolder;
    App::setSettings(s);
}

void TMainForm::Manuale1Click() {
    openDocument(App::dataFolder() + QStringLiteral("manuale.pdf"));
}

void TMainForm::SitoQuorvanel1Click() {
    openUrl(webAddress());
}

void TMainForm::Informazioni1Click() {
    TfrmInfo info(this);
    showModal(&info);
}

void TMainForm::actFineExecute() {
    close();
}

void TMainForm::bringToFront() {
    if (isMinimized()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        showMaximized();
    }
    show();
    raise();
    activateWindow();
    // A modal window in front of the main one comes first.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

bool TMainForm::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        showHint(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

void TMainForm::showHint(const QString& text) {
    if (hint_) hint_->setText(text);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
}

void TMainForm::FormClose() {
    if (closed_) return;
    closed_ = true;
    // The other windows keep their own places in layout_ when they close.
    if (normal_.isValid() && isMaximized())
        FormGeometry::saveRect(normal_, true, QStringLiteral("Main"), layout_);
    else
        FormGeometry::saveRect(isMinimized() ? normalGeometry() : geometry(), isMaximized(),
                               QStringLiteral("Main"), layout_);
    for (DataSet* ds : shared_.all()) ds->close();
    db_.close();
    setWindowState(Qt::WindowNoState);
}
