// Saves ever-new blobs through SLMPresetStore until it is killed.
#include "control/SLMPresetStore.h"

#include "PresetStoreBlob.h"

#include <QCoreApplication>

#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2; // SETTINGS-FILE FIRST-GENERATION
    SLMPresetStore store(QString::fromLocal8Bit(argv[1]));
    for (int generation = std::atoi(argv[2]);; ++generation) {
        store.save(slm::test::storeTestBlob(generation));
        if (!store.flush())
            return 1;
    }
}
