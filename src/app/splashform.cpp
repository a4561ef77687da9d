#include "app/splashform.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

#include "app/artwork.h"

namespace {
QLabel* line(QWidget* parent, const QString& name, const QString& text, int pointSize, bool bold) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    return l;
}
}  // namespace

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("SplashForm"));
    setWindowTitle(applicationTitle());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xfb, 0xf6, 0xee));
    pal.setColor(QPalette::WindowText, QColor(0x4a, 0x08, 0x18));
    setPalette(pal);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(4);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("immagine"));
    picture->setPixmap(splashPicture(360, 150));
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);
    layout->addWidget(line(this, QStringLiteral("lbl_titolo"), applicationTitle(), 16, true));
    layout->addWidget(line(this, QStringLiteral("lbl_descrizione"),
                           QStringLiteral("Fatturazione e Vendita Sfuso"), 12, false));
    layout->addWidget(
        line(this, QStringLiteral("lbl_registro"), QStringLiteral("VIREG / MIPAAF"), 12, false));
    layout->addSpacing(12);
    layout->addWidget(line(this, QStringLiteral("lbl_caricamento"),
                           QStringLiteral("Caricamento in corso ... attendere"), 10, false));
    layout->addWidget(
        line(this, QStringLiteral("lbl_build"), QStringLiteral("Build 21.02.2017"), 8, false));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(
        QStringLiteral("TSplashForm { border: 2px solid #7b122a; background: #fbf6ee; }"));
    adjustSize();
}

void TSplashForm::showNow() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    show();
    raise();
    repaint();
    QApplication::processEvents();
}

void TSplashForm::showEvent(QShowEvent* event) {
    if (!shown_.isValid()) shown_.start();
    QWidget::showEvent(event);
}

void TSplashForm::finish(int minimumMs) {
    while (shown_.isValid() && shown_.elapsed() < minimumMs) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        const qint64 rest = minimumMs - shown_.elapsed();
        if (rest > 0) QThread::msleep(quint64(qMin<qint64>(rest, 20)));
    }
    hide();
}
