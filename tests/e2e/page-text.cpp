// page-text EDITION PAGE: the characters the sample server draws on a page at its fixed time, one
// row a line, for the end-to-end cases to hold the viewer's reading against (the server never
// sends them to the viewer).

#include "server/Catalogue.h"

#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: page-text EDITION PAGE\n", stderr);
        return 2;
    }
    const QStringList rows = Catalogue::renderText(QString::fromLocal8Bit(argv[1]),
                                                   QString::fromLocal8Bit(argv[2]).toInt(), 1, Catalogue::fixedTime());
    if (rows.isEmpty()) {
        std::fprintf(stderr, "page-text: %s has no page %s\n", argv[1], argv[2]);
        return 1;
    }
    for (const QString &row : rows) {
        std::printf("%s\n", row.toUtf8().constData());
    }
    return 0;
}
