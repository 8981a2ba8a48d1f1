#pragma once
// The backlight of the main screen: after the configured idle time without
// cursor movement it dims one level a second down to level 1, and comes
// back as soon as the cursor moves.

#include <QObject>
#include <QPoint>
#include <cstdint>

class QTimer;

class CScreenSaver : public QObject {
    Q_OBJECT
public:
    explicit CScreenSaver(QObject *parent = nullptr);

    // Full brightness (level) now; a 1-second tick when an idle time
    // (idleSeconds > 0) is configured.
    void setUp(int32_t brightness, int32_t idleSeconds);
    QTimer *timer() const { return m_timer; }
    int32_t idleSeconds() const { return m_idleSeconds; }

public slots:
    void tick();

private:
    QTimer *m_timer = nullptr;
    int32_t m_idleSeconds = 0;
    int32_t m_brightness = 7;
    int32_t m_dimAfter = 0;
    QPoint m_lastCursorPos;
};
