// A fuzz target without libFuzzer: every file of the folders given is run through it once, so
// that the test builds (and the sanitizer build) hold the kept inputs to the target's promises.
// A broken promise aborts, after the name of the input that broke it.

#include "test_files.h"

#include <QDir>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (int a = 1; a < argc; ++a) {
        const QDir folder(QString::fromLocal8Bit(argv[a]));
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            const QString path = folder.filePath(name);
            const QByteArray bytes = m4test::fileBytes(path);
            std::fprintf(stderr, "%s\n", qPrintable(path));
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
