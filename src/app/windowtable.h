#pragma once
// The one description of the program's windows and of the main menu: the windows in the order
// they are created at start-up, the menu tree, and what each menu command does around the
// modal display of its window. The main window is built from these tables; a window that is
// not built yet has its row here and its command stays disabled until a factory exists.
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class DataSet;
class SharedData;

struct WindowDef {
    QString className;    // TfrmClienti ...
    QString caption;      // "Anagrafiche" ...
    QString geometryKey;  // key in form.ini, empty when the window does not remember its place
};

// The windows created once, hidden, after the main window, in this order.
const QVector<WindowDef>& windowOrder();
const WindowDef* findWindow(const QString& className);

struct MenuEntry {
    enum Kind { Command, Submenu, Separator, Check };
    Kind kind = Command;
    QString caption;     // with "&" before the access key
    QString objectName;  // component name of the item
    QString hint;        // shown in the status line
    QVector<MenuEntry> children;
};

// The menu bar: top-level entries with their items.
const QVector<MenuEntry>& menuTree();
// Every entry of the tree, depth first (menus, items, separators).
QVector<const MenuEntry*> allMenuEntries();

struct CommandStep {
    enum Op { Open, Close, Last, FilterOn, FilterOff, Show };
    Op op;
    QString dataSet;  // empty for Show
};

// What a menu command does: steps over named data sets around the modal display of a window.
struct CommandDef {
    QString objectName;   // menu item
    QString handler;      // Clienti1Click ...
    QString windowClass;  // the window shown
    QVector<CommandStep> steps;
};

const QVector<CommandDef>& commandTable();
const CommandDef* findCommand(const QString& objectName);

using DataSetResolver = std::function<DataSet*(const QString& name)>;

// A shared data set by name (Clienti, Fatture, righe, ...); nullptr when there is none.
DataSet* sharedDataSet(SharedData& shared, const QString& name);

// Runs a command's steps; show displays the window modally. An error before the window is
// shown (no database, a data set that cannot be opened) goes to the standard error box, the data
// sets already opened are closed again and the window is not shown: returns false. Errors after
// the display are shown too, and the remaining steps still run.
bool runCommand(const CommandDef& command, const DataSetResolver& resolve,
                const std::function<void()>& show);
