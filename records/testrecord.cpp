#include "testrecord.h"

#include "ctrlinfo.h"

uint64_t SampleList::nextId()
{
    static std::atomic<uint64_t> counter{0};
    return ++counter;
}

int SampleList::size() const
{
    QMutexLocker l(&m_lock);
    return m_v.size();
}

QVector<Sample> SampleList::snapshot() const
{
    QMutexLocker l(&m_lock);
    return m_v;
}

bool SampleList::at(int index, Sample *out) const
{
    QMutexLocker l(&m_lock);
    if (index < 0 || index >= m_v.size())
        return false;
    if (out)
        *out = m_v.at(index);
    return true;
}

bool SampleList::last(Sample *out) const
{
    QMutexLocker l(&m_lock);
    if (m_v.isEmpty())
        return false;
    if (out)
        *out = m_v.last();
    return true;
}

void SampleList::withLocked(const std::function<void(const QVector<Sample> &)> &f) const
{
    QMutexLocker l(&m_lock);
    f(m_v);
}

void SampleList::clear()
{
    QMutexLocker l(&m_lock);
    m_v.clear();
    ++m_revision;
}

void SampleList::assign(const QVector<Sample> &v)
{
    QMutexLocker l(&m_lock);
    m_v = v;
    ++m_revision;
}

void SampleList::append(int32_t depth, float value)
{
    Sample s;
    s.depth = depth;
    s.resistivity = value;
    s.rawResistivity = value;
    appendSample(s);
}

void SampleList::appendSample(const Sample &s)
{
    QMutexLocker l(&m_lock);
    m_v.append(s);
    ++m_revision;
}

void SampleList::appendSamples(const QVector<Sample> &v)
{
    if (v.isEmpty())
        return;
    QMutexLocker l(&m_lock);
    m_v += v;
    ++m_revision;
}

void SampleList::replaceLast(int32_t depth, float value)
{
    QMutexLocker l(&m_lock);
    Sample s;
    s.depth = depth;
    s.resistivity = value;
    s.rawResistivity = value;
    if (m_v.isEmpty())
        m_v.append(s);
    else
        m_v.last() = s;
    ++m_revision;
}

int SampleList::removeFromEndWhileDepthNotAbove(double limit)
{
    QMutexLocker l(&m_lock);
    int removed = 0;
    while (!m_v.isEmpty() && double(m_v.last().depth) <= limit) {
        m_v.removeLast();
        ++removed;
    }
    if (!m_v.isEmpty())
        if (removed)
        ++m_revision;
    return removed;
}

bool SampleList::editResistivity(int i, float value)
{
    QMutexLocker l(&m_lock);
    if (i < 0 || i >= m_v.size())
        return false;
    m_v[i].resistivity = value;
    ++m_revision;
    return true;
}

int32_t depthForRaisedDistance(int32_t raisedMm, int32_t holeDepth, bool depthFromTop)
{
    double x = double(raisedMm);
    if (!depthFromTop)
        x = double(holeDepth) - x;
    return int32_t(x);
}

bool markSedimentPosition(CtrlInfo &info, const SampleList &list, int index)
{
    Sample s;
    if (!list.at(index, &s))
        return false;
    // In 64 bits: a depth read from a damaged file must not overflow.
    info.sedimentThickness = int32_t((int64_t(info.maxDepth) - s.depth) / 10);
    return true;
}
