#pragma once
// What the main dialog's command buttons show and do in each acquisition
// state. The state is the shared word curState (acqstate.h); these functions
// only read the word they are given, so the table can be checked without a
// window or a thread.

#include <cstdint>

// Enablement of the command buttons; BtnFile and BtnQuit always go together.
struct MainButtonEnable {
    bool set = false;
    bool sample = false;
    bool newTest = false; // BtnNew
    bool fileAndQuit = false;
    bool move = false;
};

// Enablement for a state word. False when the table has no row for it (the
// buttons then stay as they are).
bool mainButtonEnableForState(uint32_t word, MainButtonEnable *out);

// Button texts for a state word: catalogue source texts (context CDlgMain),
// nullptr where the text stays as it is.
struct MainButtonTexts {
    const char *newTest = nullptr;
    const char *sample = nullptr;
    const char *move = nullptr;
};
MainButtonTexts mainButtonTextsForState(uint32_t word);

// The move button resamples instead of stepping: a named test, paused.
bool moveButtonResamples(uint32_t word);

// Judge button: on while a stored file is reviewed, or while raising with a
// leak point pending.
bool judgeEnabled(bool reviewMode, uint32_t word);

// What the sample button does from a state word.
enum class SampleThreadOp {
    None,
    Start,         // start the acquisition thread
    Pause,         // request a pause
    Resume,        // withdraw the pause request
    ResumeOrStart  // withdraw the pause when the thread runs, else start it
};

struct SampleButtonStep {
    enum Kind { Nothing, ChangeState, CloseFile } kind = Nothing;
    bool sendOperation = false;   // the device must accept the command first
    bool startsReading = false;   // prepare the parameters and empty the samples
    uint32_t newState = 0;
    SampleThreadOp threadOp = SampleThreadOp::None;
};
SampleButtonStep sampleButtonStep(uint32_t word);

// Catalogue source texts of the buttons (context CDlgMain).
namespace MainTexts {
constexpr const char *New = "新存";
constexpr const char *Sample = "采样";
constexpr const char *Pause = "暂停";
constexpr const char *Move = "移点";
constexpr const char *Resample = "重采";
constexpr const char *TestComplete = "测试完成";
constexpr const char *CloseFile = "关闭文件";
constexpr const char *SendFailed = "发送操作命令失败！";
}
