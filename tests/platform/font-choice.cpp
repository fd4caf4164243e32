// Prints the face designFont() draws each "family points bold|regular" argument with, one line
// each: "family<TAB>pixel size", as QFontInfo reports what Qt really uses.
#include "platform/Fonts.h"

#include <QFontInfo>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i + 2 < arguments.size(); i += 3) {
        const QFont font = designFont(arguments.at(i), arguments.at(i + 1).toDouble(),
                                      arguments.at(i + 2) == QLatin1String("bold"));
        const QFontInfo info(font);
        std::printf("%s\t%d\n", qPrintable(font.family()), info.pixelSize());
    }
    return 0;
}
