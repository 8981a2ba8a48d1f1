#include "simhole.h"

#include "winchframe.h"

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
    m_start = now;
    m_started = true;
}

CSimHole::Phase CSimHole::phaseAt(double now) const
{
    if (!m_started)
        return NotStarted;
    const double t = now - m_start;
    if (t < m_cfg.waitSeconds)
        return Waiting;
    if (m_cfg.speed <= 0.0)
        return Waiting;
    if ((t - m_cfg.waitSeconds) * m_cfg.speed < m_cfg.depth)
        return Raising;
    return AtTop;
}

double CSimHole::heightAt(double now) const
{
    if (!m_started)
        return 0.0;
    const double t = now - m_start - m_cfg.waitSeconds;
    if (t <= 0.0 || m_cfg.speed <= 0.0)
        return 0.0;
    return std::min(m_cfg.depth, t * m_cfg.speed);
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
            .arg(m_cfg.waitSeconds).arg(m_cfg.depth);
    case Raising: return QStringLiteral("phase: raising at %1 m/s").arg(m_cfg.speed);
    case AtTop:
        return QStringLiteral("phase: at the top, %1 m, count %2").arg(m_cfg.depth).arg(m_lastCount);
    }
    return QString();
}
