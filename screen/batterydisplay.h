#pragma once
// The battery gauge of the main screen, read once a minute.

#include <QObject>
#include <atomic>
#include <cstdint>

class QProgressBar;
class QTimer;

// Battery level 0..10 of the last reading.
extern std::atomic<int32_t> gBatteryLevel;

class CBatteryDisplay : public QObject {
    Q_OBJECT
public:
    // Reads the level now and every 60 seconds into the bar.
    explicit CBatteryDisplay(QProgressBar *bar, QObject *parent = nullptr);

public slots:
    void update();

private:
    QProgressBar *m_bar;
    QTimer *m_timer;
};
