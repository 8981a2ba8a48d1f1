// Runs a fuzz target's body over every input of its corpus folder, so the
// seeds and the inputs that once showed a fault are checked by every build
// of the test suite (also the sanitizer build), not only by fuzzing runs.
// A failed check aborts, naming the input last started.

#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    const QDir dir(QStringLiteral(ZPVW_REPLAY_CORPUS));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        std::fprintf(stderr, "no inputs in %s\n", ZPVW_REPLAY_CORPUS);
        return 1;
    }
    for (const QString &name : names) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(f.fileName()));
            return 1;
        }
        const QByteArray bytes = f.readAll();
        std::fprintf(stdout, "input %s (%d bytes)\n", qPrintable(name), int(bytes.size()));
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::fprintf(stdout, "%d inputs replayed, all checks held\n", int(names.size()));
    return 0;
}
