// The sample server's request-path parser: whatever path a client sends.

#include "FuzzSupport.h"

#include "server/Catalogue.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView path(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<Catalogue::PageAddress> address = Catalogue::parsePagePath(path);
    if (!address) {
        return 0;
    }
    FUZZ_REQUIRE(Catalogue::isEdition(address->edition), "accepted an unknown edition");
    FUZZ_REQUIRE(address->page >= 0 && address->page <= 999, "page number outside three digits");
    FUZZ_REQUIRE(address->subpage >= 1, "subpage below 1");
    // Only the exact forms are accepted (three digits, a suffix only from subpage 2), so the path
    // must come back unchanged when built again from what was read.
    QByteArray rebuilt = QByteArray(Catalogue::PathPrefix) + address->edition.toLatin1() + "/page-" +
                         QByteArray::number(address->page).rightJustified(3, '0');
    if (address->subpage != 1) {
        rebuilt += '.' + QByteArray::number(address->subpage);
    }
    rebuilt += ".png";
    FUZZ_REQUIRE(rebuilt == path, "accepted a path in a form the server never publishes");
    if (address->page >= 100) {
        FUZZ_REQUIRE(Catalogue::pagePath(address->edition, address->page, address->subpage).toLatin1() == path,
                     "pagePath() builds another path for the same page");
    }
    return 0;
}
