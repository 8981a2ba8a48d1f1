#pragma once
// Thread-shared fields of the control record.
//
// The record is a copyable value (the test session keeps copies), yet some of
// its fields are read by the acquisition thread while the GUI thread may write
// them. Numbers are atomic words; texts sit behind a mutex held only for the
// single read or write.

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <atomic>

template <typename T>
class SharedValue {
public:
    SharedValue(T v = T()) : m_v(v) {}
    SharedValue(const SharedValue &o) : m_v(o.load()) {}
    SharedValue &operator=(const SharedValue &o) { store(o.load()); return *this; }
    SharedValue &operator=(T v) { store(v); return *this; }
    operator T() const { return load(); }
    T load() const { return m_v.load(std::memory_order_relaxed); }
    void store(T v) { m_v.store(v, std::memory_order_relaxed); }
    SharedValue &operator+=(T v) { m_v.fetch_add(v, std::memory_order_relaxed); return *this; }
    SharedValue &operator-=(T v) { m_v.fetch_sub(v, std::memory_order_relaxed); return *this; }
private:
    std::atomic<T> m_v;
};

// Float fields: std::atomic<float> has no fetch_add before C++20.
template <>
class SharedValue<float> {
public:
    SharedValue(float v = 0.0f) : m_v(v) {}
    SharedValue(const SharedValue &o) : m_v(o.load()) {}
    SharedValue &operator=(const SharedValue &o) { store(o.load()); return *this; }
    SharedValue &operator=(float v) { store(v); return *this; }
    operator float() const { return load(); }
    float load() const { return m_v.load(std::memory_order_relaxed); }
    void store(float v) { m_v.store(v, std::memory_order_relaxed); }
private:
    std::atomic<float> m_v;
};

class SharedText {
public:
    SharedText() = default;
    SharedText(const QString &s) : m_s(s) {}
    SharedText(const char *s) : m_s(QString::fromUtf8(s)) {}
    SharedText(const SharedText &o) : m_s(o.get()) {}
    SharedText &operator=(const SharedText &o) { set(o.get()); return *this; }
    SharedText &operator=(const QString &s) { set(s); return *this; }
    operator QString() const { return get(); }
    QString get() const { QMutexLocker l(&m_lock); return m_s; }
    void set(const QString &s) { QMutexLocker l(&m_lock); m_s = s; }
    bool isEmpty() const { return get().isEmpty(); }
    bool operator==(const QString &s) const { return get() == s; }
    bool operator!=(const QString &s) const { return get() != s; }
private:
    mutable QMutex m_lock; // guards m_s
    QString m_s;
};
