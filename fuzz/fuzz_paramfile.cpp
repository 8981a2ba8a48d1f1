// The test-parameter file is read at every start: a damaged or forged file
// must give either its own values or the defaults, never a crash or an
// allocation beyond what the file holds, and whatever was read must save and
// load back to the same record.

#include "fuzzsupport.h"

#include "ctrlinfo.h"
#include "paramfile.h"
#include "sysconfig.h"

#include <QFile>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInit(argc, argv);
    return 0;
}

namespace {
// As at start-up: brightness and the screen-saver delay already follow the
// basic configuration before the file is read.
void startUpRecord(CtrlInfo &info)
{
    fillSentinelRecord(info);
    info.brightness = light;
    info.screensaverSeconds = screensaverSecondsForLevel(screensaverLevel);
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzWriteAppFile(QStringLiteral("ZPV_CZL.ini"), data, size);
    CtrlInfo info;
    startUpRecord(info);

    const int result = loadTestParams(info);
    FUZZ_CHECK(result == 1 || result == -1);
    if (result == -1) {
        // Another layout: the file goes and the defaults apply.
        FUZZ_CHECK(!QFile::exists(testParamFilePath()));
        CtrlInfo defaults;
        startUpRecord(defaults);
        defaults.resetToDefaults();
        defaults.dataDir = info.dataDir.get();
        FUZZ_CHECK_SAME_RECORD(info, defaults);
        return 0;
    }
    FUZZ_CHECK(info.paramVersion == QStringLiteral("1.0.020151030"));

    // Whatever was read (or the defaults) saves and loads back unchanged.
    FUZZ_CHECK(saveTestParams(info));
    CtrlInfo again;
    startUpRecord(again);
    FUZZ_CHECK(loadTestParams(again) == 1);
    FUZZ_CHECK_SAME_RECORD(again, info);
    return 0;
}
