// "othersetinfo.xml" lies beside the program and is read once at start-up:
// any bytes must load or be refused without a crash or a runaway
// allocation, and a refusal must keep the battery model and its list.

#include "fuzzsupport.h"

#include "batteryconfig.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInit(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzWriteAppFile(QStringLiteral("othersetinfo.xml"), data, size);
    batteryModel = 7331;
    batteryThresholds = {1, 2, 3};
    const QList<int32_t> before = batteryThresholds;

    const bool ok = loadBatteryConfig();

    if (!ok) {
        FUZZ_CHECK(batteryModel == 7331);
        FUZZ_CHECK(batteryThresholds == before);
        return 0;
    }
    return 0;
}
