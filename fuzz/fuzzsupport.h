#pragma once
// Shared by the fuzz targets: a quiet Qt application object, a private
// application directory for the readers that take their files from there,
// and a check that stops the run with a message (libFuzzer then keeps the
// input that broke it).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

class CtrlInfo;

// Creates the application object once (a QApplication on the offscreen
// platform when gui is true), points ZPVW_APP_DIR at a fresh temporary
// folder and silences the debug output. Call from LLVMFuzzerInitialize.
void fuzzInit(int *argc, char ***argv, bool gui = false);

// The temporary application directory made by fuzzInit.
QString fuzzAppDir();

// Writes the input as the named file in the application directory.
void fuzzWriteAppFile(const QString &name, const uint8_t *data, size_t size);

// Every persisted field of a record (texts, numbers, colours, fonts), one
// "name=value" entry each.
QStringList describeRecord(const CtrlInfo &info);

// Stops the run, listing the fields that differ, unless both records agree.
void checkSameRecord(const CtrlInfo &a, const CtrlInfo &b, const char *what, const char *file, int line);
#define FUZZ_CHECK_SAME_RECORD(a, b) checkSameRecord((a), (b), #a " == " #b, __FILE__, __LINE__)

// A record whose fields all differ from the defaults, so that a reader that
// falls back to the defaults or fills a field shows.
void fillSentinelRecord(CtrlInfo &info);

[[noreturn]] void fuzzFail(const char *what, const char *file, int line);

#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            fuzzFail(#cond, __FILE__, __LINE__);                                                                       \
    } while (0)
