#pragma once
// One cell of the panel's product grid: a flat panel with a caption, a colour, an outer bevel
// (raised at rest, lowered while held down) and an inner bevel (lowered while selected). Blank
// cells have no caption and report nothing.
#include <QColor>
#include <QFont>
#include <QWidget>

class CellaSinottico : public QWidget {
    Q_OBJECT
public:
    enum class Bevel { Nessuno, Rialzato, Abbassato };

    explicit CellaSinottico(QWidget* parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    // An invalid colour paints the window's own colour.
    QColor colore() const { return colore_; }
    void setColore(const QColor& colore);
    Bevel bevelEsterno() const { return esterno_; }
    void setBevelEsterno(Bevel b);
    Bevel bevelInterno() const { return interno_; }
    void setBevelInterno(Bevel b);
    // Only product cells react to the pointer.
    bool prodotto() const { return prodotto_; }
    void setProdotto(bool on);

Q_SIGNALS:
    void toccata(CellaSinottico* cella);  // pressed and released on the cell
    void premuta(CellaSinottico* cella);
    void rilasciata(CellaSinottico* cella);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // The largest bold type, up to the panel's large type, in which the caption fits.
    QFont carattere(const QRect& area) const;

    QString caption_;
    QColor colore_;
    Bevel esterno_ = Bevel::Rialzato;
    Bevel interno_ = Bevel::Nessuno;
    bool prodotto_ = false;
    mutable QFont font_;
    mutable QSize fontPer_;  // the size font_ was fitted to
    mutable int flags_ = Qt::TextWordWrap;
};
