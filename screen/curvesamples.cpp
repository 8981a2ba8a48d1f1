#include "curvesamples.h"

#include <cstring>

void CSampleMirror::refresh(const SampleList &list)
{
    if (list.id() == m_source && list.revision() == m_revision)
        return;
    const bool sameList = list.id() == m_source;
    m_source = list.id();
    list.withLocked([this, &list, sameList](const QVector<Sample> &v) {
        // Read under the lock: every change bumps it while holding the lock.
        m_revision = list.revision();
        const int held = sameList ? m_data.size() : 0;
        const bool prefixKept = v.size() >= held && (held == 0
            || std::memcmp(v.constData(), m_data.constData(), size_t(held) * sizeof(Sample)) == 0);
        const int from = prefixKept ? held : 0;
        if (!prefixKept || !sameList)
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
