// The settings file reader on arbitrary bytes. An accepted file must come back from the store's own
// rewrite unchanged: the text written for it is accepted again and rewritten to the same text, so that
// a change to one setting never alters or loses the others.
#include "FuzzCheck.h"

#include "settings/SettingsStore.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString rewritten;
    if (!SettingsStore::checkFileBytes(bytes, &rewritten).isEmpty())
        return 0;

    // The store writes its file as UTF-8.
    QString again;
    const QString problem = SettingsStore::checkFileBytes(rewritten.toUtf8(), &again);
    FUZZ_CHECK(problem.isEmpty(), "the rewritten file is refused: " + problem);
    FUZZ_CHECK(again == rewritten, "the rewritten file changes when it is read and written again");
    return 0;
}
