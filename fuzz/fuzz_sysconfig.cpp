// "SysBaseConfig.INI" is read once at start-up from the application folder,
// where anyone with the disk can change it: any bytes must load or be
// refused without a crash, and a refusal must keep every setting.

#include "fuzzsupport.h"

#include "appdir.h"
#include "sysconfig.h"

#include <array>

namespace {
std::array<int32_t, 6> settings()
{
    return {language, style, light, int32_t(bMeasure), deviceType, screensaverLevel};
}

void setSentinels()
{
    language = 12;
    style = 13;
    light = 14;
    bMeasure = 2; // neither value the reader stores
    deviceType = 15;
    screensaverLevel = 16;
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInit(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzWriteAppFile(QStringLiteral("SysBaseConfig.INI"), data, size);
    setSentinels();
    const auto before = settings();

    const bool ok = QKRVCommomUtils::loadSysBaseConfig();

    if (!ok) {
        FUZZ_CHECK(settings() == before);
        return 0;
    }
    // bMeasure is only ever 0 or 1 once read, or left alone.
    FUZZ_CHECK(bMeasure == 0 || bMeasure == 1 || bMeasure == 2);
    const int32_t seconds = screensaverSecondsForLevel(screensaverLevel);
    FUZZ_CHECK(seconds == 0 || seconds == 60 || seconds == 300 || seconds == 600);
    return 0;
}
