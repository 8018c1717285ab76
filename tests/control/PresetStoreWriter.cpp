// Writes ever-new blobs through SLMPresetStore until it is killed. The store
// test kills it at random moments and checks what it left behind.
#include "control/SLMPresetStore.h"

#include "PresetStoreBlob.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SETTINGS-FILE FIRST-GENERATION\n", argv[0]);
        return 2;
    }
    SLMPresetStore store(QString::fromLocal8Bit(argv[1]));
    for (int generation = std::atoi(argv[2]);; ++generation) {
        if (!store.save(slm::test::storeTestBlob(generation)))
            return 1;
    }
}
