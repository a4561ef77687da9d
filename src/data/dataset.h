#pragma once
// The record-set model that windows and rules share. A data set reads its rows into memory when
// opened (table, stored query or SQL text), keeps a cursor and an edit buffer, runs the table
// events, and writes every change back with bound statements.
//
// Writes: post() and remove() run their before-event, the statement and their after-event in
// one Database::Transaction (a savepoint when the caller already holds one). What the data set
// posted shows at once in its own rows; when the outermost transaction commits, every other
// open data set over a table written in it (by a post or by any statement) reads the rows
// written again, and when it rolls back every open data set over those tables reads its rows
// again; each keeps its current row by key. Questions to the user belong in askBeforePost and
// askBeforeDelete, which run before the transaction begins.
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

#include "data/database.h"
#include "data/errors.h"
#include "data/field.h"
#include "data/rowstore.h"
#include "data/schema.h"

// A list of handlers for one event; rules and windows may both attach.
template <typename... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;
    void operator+=(Handler h) { handlers_.push_back(std::move(h)); }
    void clear() { handlers_.clear(); }
    bool empty() const { return handlers_.empty(); }
    void operator()(Args... args) const {
        for (const auto& h : handlers_) h(args...);
    }

private:
    std::vector<Handler> handlers_;
};

class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    DataSet(Database& db, const QString& name, QObject* parent = nullptr);
    ~DataSet() override;

    const QString& name() const { return name_; }
    Database& database() const { return db_; }

    // ---- source (set while closed; takes effect at the next open or refresh)
    // A table, optionally restricted by a WHERE text with positional '?' parameters.
    void setTable(const QString& table, const QString& where = {}, const QVariantList& params = {});
    // A stored query of the database, opened with positional parameters.
    void setStoredQuery(const QString& name, const QVariantList& params = {});
    // SQL text set at run time. Read-only unless it selects from one table only.
    void setSql(const QString& sql, const QVariantList& params = {});
    void setParams(const QVariantList& params) { params_ = params; }
    QVariantList params() const { return params_; }
    QString tableName() const { return table_; }
    QString sql() const { return sql_; }

    // Sort order by one field (ascending), as a column-title click does; empty = the source's
    // own order. Applied at once when open.
    void sortBy(const QString& field);
    QString sortField() const { return sortField_; }

    // Detail link: rows whose detailField equals the master's current masterField. Follows the
    // master's cursor; empty when the master is empty or its value is empty.
    void setMasterLink(DataSet* master, const QString& masterField, const QString& detailField);
    DataSet* master() const { return master_; }

    // Fields not stored in the table: computed by onCalcFields, or looked up in another table.
    Field& addCalculatedField(const QString& name, FieldType type, int size = 0);
    Field& addLookupField(const QString& name, FieldType type, const LookupDef& def, int size = 0);

    // ---- life
    void open();   // throws DatabaseError
    void close();  // a pending edit is cancelled
    bool isOpen() const { return state_ != State::Inactive; }
    bool active() const { return isOpen(); }
    // Reads the rows again, keeping the cursor on the same row when it still exists.
    void refresh();
    State state() const { return state_; }
    bool isEditing() const { return state_ == State::Edit || state_ == State::Insert; }
    bool isModified() const { return modified_; }
    // A control holds a change not yet written into a field (a number still being typed): the
    // row counts as changed, so that leaving it tries to post instead of dropping the change.
    void markModified() {
        if (isEditing()) modified_ = true;
    }

    // Whether the data set follows what commits and rollbacks write (on by default). A view that
    // its window reads again itself after its own writes (a large journal's summaries) may
    // leave it off to be read once instead of at every change.
    void setFollowsDatabase(bool on) { follows_ = on; }
    bool followsDatabase() const { return follows_; }

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return readOnly_; }
    bool canModify() const;  // writable source and not read-only

    // ---- reading on demand (read-only sources of many rows)
    // pageRows > 0: open() reads the first pageRows rows only; a grid reaching its last row,
    // next() or setRecNo() past the rows read, and locate() read further, and last(), a sort
    // or fetchAll() read the rest. Each reading is a statement of its own, finished before it
    // returns: a read left open would keep other workstations from writing. recordCount()
    // counts the rows read so far. 0 (the default) reads every row at open. Applies to sources
    // that cannot be written (stored queries, SQL of several tables) without a sort field.
    void setFetchOnDemand(int pageRows);
    int fetchOnDemand() const { return pageRows_; }
    bool canFetchMore() const;
    // Reads at least one more page (and at least atLeast rows); returns the rows added to the
    // view, 0 when the source has no more.
    int fetchMore(int atLeast = 0);
    void fetchAll();

    // ---- reading a long source once through (prints)
    // A data set of its own over the same source and parameters, with the same extra fields,
    // calculation, titles and formats, that reads on demand and gives back the rows behind its
    // cursor as it reads on: walked with first() and next(), a source of any length costs about
    // one page of memory, while this data set, its cursor and its grid stay as they are. Its
    // recNo() and recordCount() count from the first row it still holds (releasedRows() rows
    // came before); prior() stops there and first() reads from the start again. Null when this
    // data set does not read on demand, follows a master, leads details, is filtered or edited.
    std::unique_ptr<DataSet> forwardCopy() const;
    int releasedRows() const { return releasedView_; }
    // Rows a walk from first() visits, for progress: those read and given back, or while not all
    // are read, the source's rows counted on the database (a filter not applied). -1 when closed.
    qint64 totalRowCount() const;

    // ---- navigation (a pending edit is posted first; false when that post was refused)
    bool first();
    bool last();
    bool next();
    bool prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return view_.isEmpty(); }
    int recordCount() const { return int(view_.size()); }  // rows read (see setFetchOnDemand)
    int recNo() const { return cur_; }                     // 0-based, -1 when empty
    bool setRecNo(int row);
    // Moves to the first row (in the current order and filter) whose field equals value;
    // false, cursor unchanged, when none.
    bool locate(const QString& field, const QVariant& value);
    // Identity of the current row, to come back to it with gotoBookmark.
    qint64 bookmark() const;
    bool gotoBookmark(qint64 bookmark);

    // ---- fields
    const std::vector<std::unique_ptr<Field>>& fields() const { return fields_; }
    int fieldCount() const { return int(fields_.size()); }
    Field* findField(const QString& name) const;
    Field& field(const QString& name) const;  // throws DatabaseError when absent
    Field& operator[](const QString& name) const { return field(name); }
    Field& fieldAt(int index) const { return *fields_[size_t(index)]; }

    // Values of any visible row (grids and prints); row -1 = current.
    QVariant valueAt(int row, int fieldIndex) const;
    QString displayTextAt(int row, int fieldIndex) const;

    // ---- editing
    void edit();     // throws DatabaseError when read-only; Abort from beforeEdit is silent
    bool tryEdit();  // edit(); false when refused by beforeEdit
    void append();   // new row at the end, onNewRecord runs; throws when read-only
    bool post();     // false when beforePost aborted (state unchanged); throws DatabaseError
    void cancel();
    bool remove();  // deletes the current row; false when beforeDelete aborted
    // Posts a pending change, or cancels an unmodified one (as navigation does). Details linked
    // to this data set are settled first: a master never moves away from a line still being
    // typed, and a refused line keeps it where it is.
    bool checkBrowseMode();

    // ---- filter
    void setFiltered(bool on);
    bool isFiltered() const { return filtered_; }

    // ---- events (handlers may raise Abort in the before-events; an Abort with a message has it
    // shown after the rollback)
    // Run before post's and remove()'s transaction begins: the place for questions to the user
    // and for checks that show a message, so that no dialog waits while the database is held.
    Event<DataSet&> askBeforePost;
    Event<DataSet&> askBeforeDelete;
    Event<DataSet&> onNewRecord;
    Event<DataSet&> beforeEdit;
    Event<DataSet&> beforePost;
    Event<DataSet&> beforeDelete;
    Event<DataSet&> afterPost;
    Event<DataSet&> afterDelete;
    Event<DataSet&> afterScroll;
    Event<DataSet&> afterOpen;
    Event<DataSet&> beforeClose;
    std::function<void(DataSet&)> onCalcFields;    // sets the calculated fields of a row
    std::function<bool(DataSet&)> onFilterRecord;  // accepts or rejects a row while filtered

    // ---- used by Field
    QVariant currentValue(int fieldIndex) const;
    void setCurrentValue(int fieldIndex, const QVariant& v);
    // The current row's value of a text field as kept (UTF-8, empty for null), without making a
    // string: for filters that read every row. False when it is not at hand that way (the row
    // being edited, a value of another form): read the field's value instead.
    bool currentUtf8(int fieldIndex, QByteArrayView* out) const;
    // Bytes the rows held in memory take.
    qint64 bytesHeld() const { return rows_.bytesHeld(); }
    bool inCalcFields() const { return inCalc_; }

Q_SIGNALS:
    void reset();              // rows read again (open, close, refresh, filter, sort, link)
    void rowChanged(int row);  // values of a row changed (edit buffer or posted)
    void rowInserted(int row);
    void rowRemoved(int row);
    void currentChanged(int row);  // the cursor moved
    // Rows first..last read on demand are about to join the view, and have joined it.
    void rowsAboutToBeFetched(int first, int last);
    void rowsFetched(int first, int last);
    void stateChanged();
    void readOnlyChanged(bool readOnly);

private:
    struct ExtraDef {
        QString name;
        FieldType type;
        int size;
        FieldKind kind;
        LookupDef lookup;
    };
    // The row being edited or inserted.
    struct Row {
        qint64 rowid = 0;
        QVector<QVariant> values;  // stored, calculated and lookup values by field index
        bool calcDone = false;
    };
    void defineFields(const QVector<FieldDef>& stored);
    Field& addExtra(const ExtraDef& def);
    QString selectText(QVariantList* binds) const;
    void load();
    void sortRows();
    void rebuildView();
    bool accepts(int rowIndex);
    // Lookup and calculated values of a row (-1: the edit buffer).
    void computeDerived(int rowIndex) const;
    QVariant rowValue(int rowIndex, int fieldIndex) const;
    // Index into rows_ of a row of the view, its derived values computed; -1 when none.
    int rowForRead(int viewRow) const;
    void prepareStore(RowStore& store) const;
    void setCursor(int viewRow, bool notify = true);
    void requireWritable(const char* what) const;
    void masterMoved();
    void loadLookups();
    bool askFirst(const Event<DataSet&>& event);
    template <typename Write, typename Undo>
    bool inWriteTransaction(Write&& write, Undo&& undo, qint64 keyBefore);
    void writeBuffer(int rowIndex);
    template <typename Stmt>
    void readRows(Stmt& st, const QStringList& names, int rowidCol, bool haveRow, RowStore& out,
                  qint64 serialFrom = 0);
    bool paged() const;
    static QString pageSql(const QString& sql);
    int readPage(qint64 limit);
    bool fetchTo(int viewRows);
    void releaseBehind();
    qint64 sourceRowsRead() const { return releasedSource_ + rows_.size(); }
    bool masterValueEmpty() const;
    // What a commit or rollback wrote; followed now, or once a pending edit is over.
    void databaseChanged(const Database::Changes& changes, bool undone);
    void applyChanges(const Database::Changes& changes, bool undone);
    void flushPending();
    void reloadKeeping(qint64 mark, int oldPos);
    void rereadRows(const QList<qint64>& ids);
    QVariant lookupValue(const Field& f, const QVariant& key) const;

    Database& db_;
    QString name_;
    QString table_;
    QString where_;
    QString sql_;
    QString storedQuery_;
    QVariantList params_;
    QString sortField_;
    bool writableSource_ = false;
    bool readOnly_ = false;

    DataSet* master_ = nullptr;
    QList<QPointer<DataSet>> details_;
    QString masterField_;
    QString detailField_;

    std::vector<std::unique_ptr<Field>> fields_;
    QHash<QString, int> fieldIndex_;  // lower-case name -> index
    int storedCount_ = 0;             // fields read from the source come first
    std::vector<ExtraDef> extraDefs_;
    QHash<int, QHash<QString, QVariant>> lookups_;  // field index -> key -> value

    mutable RowStore rows_;
    QVector<int> view_;  // indices into rows_ in the order shown, after the filter
    int cur_ = -1;
    bool bof_ = true;
    bool eof_ = true;
    State state_ = State::Inactive;
    mutable Row buffer_;  // the row being edited or inserted (its derived values computed lazily)
    bool modified_ = false;
    bool filtered_ = false;
    mutable int activeRow_ = -2;  // row read by Field while computing or filtering (-2: none)
    mutable bool inCalc_ = false;
    QStringList sourceTables_;  // tables named by the source, to type result columns
    qint64 returnTo_ = 0;       // the current row when append() began
    qint64 undoKey_ = -1;       // the current row before the first write in a caller's transaction
    void rememberUndoKey(qint64 key);
    bool follows_ = true;
    int pageRows_ = 0;
    bool complete_ = true;  // every row of the source is read
    bool fetching_ = false;
    bool forward_ = false;       // a forwardCopy(): rows behind the cursor are given back
    int releasedView_ = 0;       // rows of the view given back (forward_)
    qint64 releasedSource_ = 0;  // rows of the source given back (forward_)
    bool writing_ = false;       // inside post() or remove(): changes wait until it is over
    Database::Changes pending_;
    bool pendingUndone_ = false;
    friend class ActiveRow;
};
