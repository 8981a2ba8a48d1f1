#include "curvesamples.h"

#include <cstring>

void CSampleMirror::refresh()
{
    if (samples.revision() == m_revision)
        return;
    samples.withLocked([this](const QVector<Sample> &v) {
        // Read under the lock: every change bumps it while holding the lock.
        m_revision = samples.revision();
        const int held = m_data.size();
        const bool prefixKept = v.size() >= held && (held == 0
            || std::memcmp(v.constData(), m_data.constData(), size_t(held) * sizeof(Sample)) == 0);
        const int from = prefixKept ? held : 0;
        if (!prefixKept)
            ++m_generation;
        m_data.resize(v.size());
        if (v.size() > from)
            std::memcpy(m_data.data() + from, v.constData() + from, size_t(v.size() - from) * sizeof(Sample));
    });
}

CSampleMirror &guiSampleMirror()
{
    static CSampleMirror mirror;
    return mirror;
}
