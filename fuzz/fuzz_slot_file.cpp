// The favourite slot-file reader on any bytes a file by that name may hold: it never fails, its two
// lines never hold a line break, and what it reads writes back as a file that reads the same.

#include "FuzzSupport.h"

#include "favourites/SlotFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const SlotLines lines = parseSlotFile(bytes);
    for (const QString *line : {&lines.page, &lines.caption}) {
        if (line->contains(QLatin1Char('\r')) || line->contains(QLatin1Char('\n'))) {
            std::abort();
        }
    }
    if (parseSlotFile(formatSlotFile(lines.page, lines.caption)) != lines) {
        std::abort();
    }
    return 0;
}
