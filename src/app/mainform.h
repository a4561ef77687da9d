#pragma once
// The main window: the menu with every command, the status line with hints, the work area.
// It owns the start-up of the database and creates the other windows once, hidden.
#include <QHash>
#include <QMainWindow>
#include <functional>
#include <thread>

#include "app/startup.h"
#include "common/inifile.h"

class QAction;
class QLabel;
class QMenu;
class Database;
class SharedData;
class TMainForm;
class ProgramPrinting;
struct MenuEntry;

// Builds one of the program's windows; it may use the main window (its data, its zoom).
using WindowFactory = std::function<QWidget*(TMainForm& main)>;
// A command that is not a window (printed lists, the designer ...).
using CommandHandler = std::function<void(TMainForm& main)>;

// The windows and commands built so far, wired in programwindows.cpp.
QHash<QString, WindowFactory> programWindowFactories();
QHash<QString, CommandHandler> programCommandHandlers();
// The table rules of the domain folders, attached to the shared data sets before any window.
void attachProgramRules(SharedData& shared);

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(Database& db, SharedData& shared, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Settings, zoom, maintenance, connection, default VAT rate, Intestazione, caption. An error
    // goes to the standard error box; the program then runs without a database.
    void FormCreate(const QString& iniPath = iniFileName());
    // The other windows, each once and hidden, in start-up order. A command is enabled when its
    // window (or handler) exists.
    void createWindows(const QHash<QString, WindowFactory>& factories = programWindowFactories(),
                       const QHash<QString, CommandHandler>& handlers = programCommandHandlers());

    Database& db() const { return db_; }
    SharedData& shared() const { return shared_; }
    int zoom() const;
    const StartupReport& startupReport() const { return report_; }
    // The day's dated copy, when the start-up left it due, is taken on a thread of its own from
    // FormCreate on, while the windows are built and the user works; what could not be done is
    // shown when it ends. This waits for it and returns what it did.
    MaintenanceResult waitDatedCopy();
    QWidget* programWindow(const QString& className) const { return windows_.value(className); }
    QAction* action(const QString& objectName) const { return actions_.value(objectName); }
    QMenu* menu(const QString& objectName) const { return menus_.value(objectName); }

    // Where the geometry of the five windows is kept (form.ini in the current directory);
    // set before FormCreate.
    void setFormIniPath(const QString& path) { formIni_ = path; }
    QString formIniPath() const { return formIni_; }
    // form.ini and vinorda.ini as loaded by FormCreate, shared with the windows that keep
    // their place or settings there.
    IniFile& layoutIni() { return layout_; }
    IniFile& settingsIni() { return settingsIni_; }
    // Replaces the modal display of a window (tests record what is open meanwhile).
    void setShowModalHook(std::function<void(QWidget*)> hook) { showHook_ = std::move(hook); }
    // Shows a window modally as every command does (or through the hook).
    void showModal(QWidget* window);

    // Maximised and centred on the screen; fills the screen also where no window manager
    // maximises it.
    void showMainWindow();

    // Second copy started: come to the front, restored when minimised.
    void bringToFront();

    // Menu handlers.
    void runMenuCommand(const QString& objectName);
    void Manuale1Click();
    void SitoQuorvanel1Click();
    void Informazioni1Click();
    void actFineExecute();

    static QString webAddress();

    // The main window's report and the print routine every print goes through.
    ProgramPrinting& printing();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildMenu();
    void addEntries(QMenu* menu, const QVector<MenuEntry>& entries);
    QAction* addCommand(QWidget* owner, const MenuEntry& entry);
    void FormClose();
    void applyZoom(int percent);
    void showHint(const QString& text);
    void refreshPrinterSettings();
    void startDatedCopy();

    Database& db_;
    SharedData& shared_;
    StartupReport report_;
    QString formIni_;
    QLabel* hint_ = nullptr;
    QLabel* readOnly_ = nullptr;
    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
    QHash<QString, QWidget*> windows_;
    QHash<QString, CommandHandler> handlers_;
    std::function<void(QWidget*)> showHook_;
    bool closed_ = false;
    std::thread datedCopy_;
    MaintenanceResult datedCopyResult_;
    ProgramPrinting* printing_ = nullptr;
    QRect normal_;
    IniFile layout_;
    IniFile settingsIni_;  // the place before maximising, kept in form.ini
};
