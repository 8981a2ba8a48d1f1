#pragma once
// The hole the winch controller simulator plays: the probe waits at the
// bottom, rises at a fixed speed to the top, then stays, unless the user
// steers the winch (raise, lower, stop, go to a depth). The pulse count
// follows from the pulley and cable diameters (1024 pulses per turn) and the
// reported value from a mud profile with a sediment layer at the bottom.
// Everything is a function of the time given, so tests need no clock.

#include <QByteArray>
#include <QString>
#include <cstdint>

struct SimHoleConfig {
    double waitSeconds = 2.0;   // at the bottom before the raise
    double speed = 0.1;         // metres per second
    double depth = 20.0;        // metres
    int wheelD = 63;            // pulley diameter, millimetres
    int lineD = 7;              // cable diameter, millimetres
    double sediment = 0.3;      // sediment layer at the bottom, metres
    double mudValue = 1.2;      // raw value in the mud
    double sedimentValue = 3.0; // raw value in the sediment
    double transition = 0.03;   // width of the smooth change, metres
    double noise = 0.02;        // noise amplitude, fraction of the mud value
    uint32_t seed = 1;
};

class CSimHole {
public:
    enum Phase { NotStarted, Cleared, Waiting, Raising, Lowering, Stopped, AtTop };

    explicit CSimHole(const SimHoleConfig &config);
    const SimHoleConfig &config() const { return m_cfg; }

    // Length of cable one pulse stands for, metres.
    double metresPerPulse() const;
    // The count nearest to a height.
    int32_t pulsesForHeight(double metres) const;
    // Raw value at a height above the bottom (profile plus noise; the noise
    // depends on the seed and the centimetre, so a height always reads the same).
    float valueAtHeight(double metres) const;

    // Starts the play (wait at the bottom) at time now, seconds.
    void restart(double now);
    Phase phaseAt(double now) const;
    // Metres raised at time now.
    double heightAt(double now) const;

    // Steering, as an operator at the winch does, from time now: move up to
    // the top, down to the bottom, or to a height (metres above the bottom,
    // kept within the hole), at speed metres per second (the configured
    // speed when 0 or less); or hold where the probe is. A later clear
    // request (a new test) starts the play afresh.
    void raise(double now, double speed);
    void lower(double now, double speed);
    void moveTo(double now, double height, double speed);
    void stop(double now);
    // Speed and direction of the current motion at time now (m/s, negative
    // while lowering, 0 while standing).
    double velocityAt(double now) const;

    // The report answering one request at time now. A request with the clear
    // flag zeroes the count and is answered with count 0 and the cleared byte;
    // the first request without it starts the raise afresh. The first request
    // of all starts the play.
    QByteArray answer(bool clearRequested, double now);
    // The phase after the last answer, and whether that answer changed it.
    Phase phase() const { return m_phase; }
    bool takePhaseChange();
    // A line describing the current phase for the operator.
    QString phaseLine() const;

private:
    // One straight motion: from a height, after a delay, at a speed, to a
    // target height, where it stays.
    struct Motion {
        double since = 0.0;
        double delay = 0.0;
        double from = 0.0;
        double to = 0.0;
        double speed = 0.0;
    };
    double travelAt(double now) const; // seconds of movement so far, < 0 in the delay
    double speedOrDefault(double speed) const;

    SimHoleConfig m_cfg;
    Motion m_motion;
    bool m_started = false;
    bool m_cleared = false;
    Phase m_phase = NotStarted;
    bool m_phaseChanged = false;
    int32_t m_lastCount = 0;
};
