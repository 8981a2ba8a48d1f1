#pragma once
// Frames exchanged with the winch controller: the 16-byte request the link
// sends on every poll and the 40-byte report the controller answers with.
// Both the link and the controller simulator build and check frames here, so
// the layout is written down once.

#include <QByteArray>
#include <QList>
#include <cstdint>

namespace WinchFrame {
constexpr int RequestSize = 16;
constexpr uint8_t RequestStart = 0x53; // 'S'
constexpr uint8_t RequestEnd = 0x45;   // 'E'
constexpr int RequestClearOffset = 9;

constexpr int ReportSize = 40;
constexpr uint8_t ReportStart = 0x47; // 'G'
constexpr uint8_t ReportEnd = 0x45;   // 'E'
constexpr int ReportLengthOffset = 1;
constexpr int ReportPulseOffset = 9;
constexpr int ReportValueOffset = 17;
constexpr int ReportClearedOffset = 21;
}

// The fields of a report this system reads; the other bytes are ignored.
struct WinchReport {
    int32_t pulseCount = 0;
    float rawValue = 0.0f;
    bool cleared = false;
};

// The request: start byte, little-endian length 16, clear flag at byte 9, end byte.
QByteArray buildWinchRequest(bool clear);
// True when bytes hold a well-formed request (start, length, end); the clear
// flag is stored in *clear when given.
bool parseWinchRequest(const QByteArray &bytes, bool *clear = nullptr);

// A well-formed 40-byte report carrying the fields (all other bytes zero).
QByteArray buildWinchReport(const WinchReport &fields);
// True when the first 40 bytes form a report: start byte, length byte 40 and
// end byte. Shorter input is never a report.
bool isWinchReport(const QByteArray &bytes);
// Reads the fields of a report (call only on bytes that isWinchReport accepts).
WinchReport decodeWinchReport(const QByteArray &bytes);

// Reassembles frames of one kind from a byte stream: TCP may cut a frame in
// two or glue two together. Bytes that cannot begin a frame are skipped, so
// one broken frame does not misalign every later one.
class CWinchFrameAssembler {
public:
    enum Kind { Reports, Requests };
    explicit CWinchFrameAssembler(Kind kind = Reports) : m_kind(kind) {}
    // Adds received bytes and returns the complete frames they finish, in order.
    QList<QByteArray> feed(const QByteArray &bytes);
    void clear() { m_pending.clear(); }
    int pendingSize() const { return m_pending.size(); }

private:
    Kind m_kind;
    QByteArray m_pending;
};
