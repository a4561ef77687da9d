#pragma once
// The window shown while the program starts: borderless, on top, centred.
#include <QElapsedTimer>
#include <QWidget>

class TSplashForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int minimumShowMs = 2000;

    explicit TSplashForm(QWidget* parent = nullptr);
    // Shows and paints at once, and records the time.
    void showNow();
    qint64 elapsedMs() const { return shown_.isValid() ? shown_.elapsed() : 0; }
    // Waits until the splash has been up for minimumMs in all, then hides it.
    void finish(int minimumMs = minimumShowMs);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QElapsedTimer shown_;
};
