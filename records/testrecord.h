#pragma once
// The sample list of a test.
//
// The test session keeps the list of the test on show; views read it while
// the session changes it. Every operation takes the list's
// mutex for that operation only; readers get a consistent copy (snapshot) or a
// locked view. The lock is never held across file input or output.

#include <QMutex>
#include <QVector>
#include <atomic>
#include <cstdint>
#include <functional>

struct Sample {
    int32_t depth = 0;          // millimetres from the hole top
    float resistivity = 0.0f;   // shown value, the operator may edit it
    float rawResistivity = 0.0f; // value as acquired, never edited
};
static_assert(sizeof(Sample) == 12, "Sample is three 32-bit fields");

inline bool operator==(const Sample &a, const Sample &b)
{
    return a.depth == b.depth && a.resistivity == b.resistivity && a.rawResistivity == b.rawResistivity;
}

class SampleList {
public:
    int size() const;
    bool isEmpty() const { return size() == 0; }
    QVector<Sample> snapshot() const;
    // Copy of the element at index; false when out of range.
    bool at(int index, Sample *out) const;
    bool last(Sample *out) const;
    // Runs f with the locked vector (keep f short: no I/O, no signals).
    void withLocked(const std::function<void(const QVector<Sample> &)> &f) const;
    // Monotonic counter bumped by every change (cheap change detection).
    uint64_t revision() const { return m_revision.load(); }
    // Tells this list from every other list of the process, even one made
    // later at the same address.
    uint64_t id() const { return m_id; }

    // Empties the list.
    void clear();
    // Replaces the whole list (file load).
    void assign(const QVector<Sample> &v);
    // Appends {depth, value, value}.
    void append(int32_t depth, float value);
    void appendSample(const Sample &s);
    // Appends several samples in one step (file load). Nothing happens for
    // an empty vector.
    void appendSamples(const QVector<Sample> &v);
    // Overwrites the last sample; appends instead on an empty list.
    void replaceLast(int32_t depth, float value);
    // Removes samples from the end while depth <= limit (real compare).
    // Returns the number removed.
    int removeFromEndWhileDepthNotAbove(double limit);
    // Writes a new resistivity into the sample at index; false when the
    // index is invalid. rawResistivity is kept.
    bool editResistivity(int index, float value);

private:
    mutable QMutex m_lock; // guards m_v
    QVector<Sample> m_v;
    std::atomic<uint64_t> m_revision{0};
    const uint64_t m_id = nextId();
    static uint64_t nextId();
};

// Depth of a sample taken after raising the probe by raisedMm from the
// bottom of a hole holeDepth deep: holeDepth - raisedMm unless depths count
// from the top, cut toward zero.
int32_t depthForRaisedDistance(int32_t raisedMm, int32_t holeDepth, bool depthFromTop);

// Sediment thickness in centimetres for the marked sample (an index into
// the list): (maxDepth - depth) / 10 truncated, stored in info. False (nothing
// changed) when the index names no sample.
class CtrlInfo;
bool markSedimentPosition(CtrlInfo &info, const SampleList &list, int index);
