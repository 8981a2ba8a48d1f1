#include "simhole.h"

#include "winchframe.h"

#include <algorithm>
#include <cmath>

namespace {
// splitmix64: a small, well-mixed hash for the deterministic noise.
uint64_t mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}
}

CSimHole::CSimHole(const SimHoleConfig &config) : m_cfg(config) {}

double CSimHole::metresPerPulse() const
{
    return 3.14159265358979 * double(m_cfg.wheelD + m_cfg.lineD) / 1000.0 / 1024.0;
}

int32_t CSimHole::pulsesForHeight(double metres) const
{
    return int32_t(std::lround(metres / metresPerPulse()));
}

float CSimHole::valueAtHeight(double metres) const
{
    double v = m_cfg.mudValue;
    if (m_cfg.sediment > 0.0) {
        const double w = m_cfg.transition > 0.0 ? m_cfg.transition : 1e-6;
        const double inSediment = 1.0 / (1.0 + std::exp((metres - m_cfg.sediment) / w));
        v += (m_cfg.sedimentValue - m_cfg.mudValue) * inSediment;
    }
    const int64_t cm = int64_t(std::floor(metres * 100.0));
    const uint64_t h = mix(mix(m_cfg.seed) ^ uint64_t(cm));
    const double unit = double(h >> 11) / double(1ull << 53) * 2.0 - 1.0; // -1 .. 1
    v += unit * m_cfg.noise * m_cfg.mudValue;
    return float(v);
}

void CSimHole::restart(double now)
{
    m_motion = Motion{now, m_cfg.waitSeconds, 0.0, m_cfg.depth, m_cfg.speed};
    m_started = true;
}

double CSimHole::travelAt(double now) const { return now - m_motion.since - m_motion.delay; }

double CSimHole::speedOrDefault(double speed) const { return speed > 0.0 ? speed : m_cfg.speed; }

CSimHole::Phase CSimHole::phaseAt(double now) const
{
    if (!m_started)
        return NotStarted;
    if (travelAt(now) < 0.0)
        return Waiting;
    const double h = heightAt(now);
    if (h != m_motion.to && m_motion.speed > 0.0)
        return m_motion.to > m_motion.from ? Raising : Lowering;
    if (h >= m_cfg.depth)
        return AtTop;
    // The play's raise that cannot start is still the wait at the bottom.
    if (m_motion.speed <= 0.0 && m_motion.delay > 0.0)
        return Waiting;
    return Stopped;
}

double CSimHole::heightAt(double now) const
{
    if (!m_started)
        return 0.0;
    const double t = travelAt(now);
    if (t <= 0.0 || m_motion.speed <= 0.0)
        return m_motion.from;
    const double span = m_motion.to - m_motion.from;
    const double moved = t * m_motion.speed;
    if (moved >= std::fabs(span))
        return m_motion.to;
    return m_motion.from + (span > 0.0 ? moved : -moved);
}

double CSimHole::velocityAt(double now) const
{
    const Phase p = phaseAt(now);
    if (p == Raising)
        return m_motion.speed;
    if (p == Lowering)
        return -m_motion.speed;
    return 0.0;
}

void CSimHole::moveTo(double now, double height, double speed)
{
    const double from = heightAt(now);
    m_motion = Motion{now, 0.0, from, std::clamp(height, 0.0, m_cfg.depth), speedOrDefault(speed)};
    m_started = true;
}

void CSimHole::raise(double now, double speed) { moveTo(now, m_cfg.depth, speed); }

void CSimHole::lower(double now, double speed) { moveTo(now, 0.0, speed); }

void CSimHole::stop(double now)
{
    const double here = heightAt(now);
    m_motion = Motion{now, 0.0, here, here, 0.0};
    m_started = true;
}

QByteArray CSimHole::answer(bool clearRequested, double now)
{
    WinchReport r;
    Phase p;
    if (clearRequested) {
        m_cleared = true;
        p = Cleared;
        r.cleared = true;
        r.pulseCount = 0;
        r.rawValue = valueAtHeight(0.0);
    } else {
        if (m_cleared || !m_started) {
            m_cleared = false;
            restart(now);
        }
        p = phaseAt(now);
        r.pulseCount = pulsesForHeight(heightAt(now));
        // The value belongs to the height the count stands for.
        r.rawValue = valueAtHeight(r.pulseCount * metresPerPulse());
    }
    m_lastCount = r.pulseCount;
    if (p != m_phase) {
        m_phase = p;
        m_phaseChanged = true;
    }
    return buildWinchReport(r);
}

bool CSimHole::takePhaseChange()
{
    const bool c = m_phaseChanged;
    m_phaseChanged = false;
    return c;
}

QString CSimHole::phaseLine() const
{
    switch (m_phase) {
    case NotStarted: return QStringLiteral("phase: not started");
    case Cleared: return QStringLiteral("phase: counter cleared");
    case Waiting:
        return QStringLiteral("phase: waiting at the bottom for %1 s (hole %2 m)")
            .arg(QString::number(m_cfg.waitSeconds), QString::number(m_cfg.depth));
    case Raising: return QStringLiteral("phase: raising at %1 m/s").arg(m_motion.speed);
    case Lowering: return QStringLiteral("phase: lowering at %1 m/s").arg(m_motion.speed);
    case Stopped:
        return QStringLiteral("phase: stopped at %1 m, count %2").arg(QString::number(m_motion.to, 'f', 3), QString::number(m_lastCount));
    case AtTop:
        return QStringLiteral("phase: at the top, %1 m, count %2").arg(QString::number(m_cfg.depth), QString::number(m_lastCount));
    }
    return QString();
}
