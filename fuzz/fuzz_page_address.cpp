// pageAddress on any texts the edition list, the page box and the subpage box may hold: the
// address must stay on the server, inside the edition's folder, whatever libcurl or a normalising
// proxy makes of it.

#include "FuzzSupport.h"

#include "viewer/PageAddress.h"

#include <QUrl>

namespace
{

bool isAddressByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '%' || c == '/';
}

bool isUpperHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> fields = fuzzFields(data, size);
    const auto field = [&fields](int i) { return i < fields.size() ? QString::fromUtf8(fields.at(i)) : QString(); };
    const QString edition = field(0);
    const QString page = field(1);
    const QString subpage = field(2);
    const QString base = QStringLiteral("http://127.0.0.1:8080");

    const QByteArray address = pageAddress(base, edition, page, subpage);
    if (edition == QLatin1String(".") || edition == QLatin1String("..")) {
        FUZZ_REQUIRE(address.isEmpty(), "an address for a dot-segment edition");
        return 0;
    }
    const QByteArray prefix = base.toUtf8() + "/pagiscopo/pub/tt4web/";
    FUZZ_REQUIRE(address.startsWith(prefix), "the address left the server or the page path");
    const QByteArray rest = address.mid(prefix.size());
    for (qsizetype i = 0; i < rest.size(); ++i) {
        FUZZ_REQUIRE(isAddressByte(rest.at(i)), "a byte outside the address alphabet");
        if (rest.at(i) == '%') {
            FUZZ_REQUIRE(i + 2 < rest.size() && isUpperHex(rest.at(i + 1)) && isUpperHex(rest.at(i + 2)),
                         "a stray percent sign");
        }
    }
    const QList<QByteArray> segments = rest.split('/');
    FUZZ_REQUIRE(segments.size() == 2, "the texts added a path segment");
    // libcurl removes dot segments before sending, so one of these would leave the edition folder.
    for (const QByteArray &segment : segments) {
        FUZZ_REQUIRE(segment != "." && segment != "..", "a dot segment on the wire");
    }
    FUZZ_REQUIRE(QByteArray::fromPercentEncoding(segments.at(0)) == edition.toUtf8(), "the edition was changed");
    FUZZ_REQUIRE(segments.at(1).startsWith("page-") && segments.at(1).endsWith(".png"), "not a page file name");

    const QUrl url = QUrl::fromEncoded(address, QUrl::StrictMode);
    FUZZ_REQUIRE(url.isValid(), "the address does not parse");
    FUZZ_REQUIRE(url.host() == QLatin1String("127.0.0.1") && url.port() == 8080, "another host");
    FUZZ_REQUIRE(!url.hasQuery() && !url.hasFragment(), "a query or fragment");
    // A normalising client or server decodes %2E and the like before it resolves dot segments.
    const QStringList normalised = url.path(QUrl::FullyEncoded).split(QLatin1Char('/'));
    FUZZ_REQUIRE(normalised.size() == 6, "the normalised path has other segments");
    for (const QString &segment : normalised) {
        FUZZ_REQUIRE(segment != QLatin1String(".") && segment != QLatin1String(".."), "a dot segment once normalised");
    }
    return 0;
}
