#pragma once
// The device access layer: the only way the program reaches the acquisition
// hardware (pulley encoder, acquisition board, backlight, battery gauge).
//
// The operations are free functions; what they do on the hardware is done by
// a back end. The in-memory back end (the default) keeps the height as a
// number the main dialog sets, steps or resets, and every call succeeds once
// the device is open. A back end for real hardware derives from CDeviceBackend
// and is installed with setDeviceBackend; callers do not change.

#include <QList>
#include <atomic>
#include <cstdint>

// -1 until the entry point opens the device (openDevice sets it to 1).
extern std::atomic<int32_t> deviceHandle;

// Acquisition parameters of the coming test, filled by prepareAcquisitionParams.
struct AcqChannelSubEntry {
    uint8_t flag = 0;
    uint8_t data[16] = {};
};
struct AcqChannelEntry {
    uint8_t flag = 0;
    int32_t value = 0;
    AcqChannelSubEntry sub[4];
};
struct AcquisitionParams {
    uint8_t heightUp = 0;
    uint8_t configured = 0;
    int32_t param20 = 0;
    int32_t param512 = 0;
    int32_t param4 = 0;
    int32_t stepMm = 0;
    int32_t param0a = 0;
    float scale = 0.0f;
    int32_t param0b = 0;
    int32_t param0c = 0;
    float cableDiameterCm = 0.0f;
    float pulleyDiameterCm = 0.0f;
    AcqChannelEntry channels[4];
};
// Written by the GUI thread between tests; no acquisition code reads it while
// a test runs.
extern AcquisitionParams gAcqParams;

// What a back end does. Heights are in the store's unit (10 mm).
class CDeviceBackend {
public:
    virtual ~CDeviceBackend() = default;
    virtual bool initAcquisition() = 0;
    virtual bool sendOperation() = 0;
    virtual bool setBrightness(uint16_t level) = 0;
    // Runs on the acquisition thread, possibly while a GUI-thread call runs.
    virtual bool readHeight(uint16_t *height, uint16_t *aux, uint8_t channel) = 0;
    virtual bool readWave(uint16_t byteCount, uint8_t *buffer, uint16_t *height, uint8_t channel) = 0;
    virtual void resetHeight() = 0;
    virtual void addHeight(int32_t millimetres) = 0;
    virtual void setHeight(int32_t value) = 0;
    virtual int32_t getHeight() = 0;
    // Battery level 0..10.
    virtual uint8_t batteryLevel() = 0;
};

// The in-memory back end: a held height in centimetres, read back as 16 bits.
class CMemoryDevice : public CDeviceBackend {
public:
    bool initAcquisition() override { return true; }
    bool sendOperation() override { return true; }
    bool setBrightness(uint16_t) override { return true; }
    bool readHeight(uint16_t *height, uint16_t *aux, uint8_t channel) override;
    bool readWave(uint16_t byteCount, uint8_t *buffer, uint16_t *height, uint8_t channel) override;
    void resetHeight() override { m_held = 0; }
    void addHeight(int32_t millimetres) override { m_held += millimetres / 10; }
    void setHeight(int32_t value) override { m_held = value; }
    int32_t getHeight() override { return m_held; }
    uint8_t batteryLevel() override;

private:
    std::atomic<int32_t> m_held{0};
};

// Installs a back end (the caller keeps ownership); nullptr restores the
// in-memory one. Install before the acquisition thread starts.
void setDeviceBackend(CDeviceBackend *backend);
CDeviceBackend &deviceBackend();
// The process's in-memory back end (its height store lives for the process).
CMemoryDevice &memoryDevice();

// Marks the device open (start-up).
void openDevice();

// The operations. The four that talk to the board (init, command, backlight,
// battery) do nothing and report failure while the device is not open.
bool initAcquisition();
bool sendOperation();
bool setBrightness(uint16_t level);
bool readHeight(uint16_t *height, uint16_t *aux, uint8_t channel);
bool readWave(uint16_t byteCount, uint8_t *buffer, uint16_t *height, uint8_t channel);
void resetHeight();
void addHeight(int32_t millimetres);
void setHeight(int32_t value);
int32_t getHeight();
uint8_t batteryLevel();
class CtrlInfo;
// Fills gAcqParams from the set-up of the coming test.
void prepareAcquisitionParams(const CtrlInfo &info);
// Blocks the calling thread for the given milliseconds (whole microseconds).
void waitMs(float milliseconds);

// Battery level from the battery configuration's threshold list: 10 minus the
// index of the first entry not above 0 among the first ten; 0 when the list is
// shorter than ten or no such entry exists.
uint8_t batteryLevelFromThresholds(const QList<int32_t> &thresholds);
