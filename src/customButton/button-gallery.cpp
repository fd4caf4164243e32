// button-gallery OUTPUT.png: one labelled sheet of every button look, up, pressed, disabled and
// focused, in the three palettes, so the looks can be judged without running the program.

#include "buttonlog.h"
#include "buttonpainter.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QPainter>

#include <cstdio>

namespace
{

constexpr int kButtonW = 97;
constexpr int kButtonH = 25;
constexpr int kCellW = 120;
constexpr int kCellH = 40;
constexpr int kLabelW = 190;
constexpr int kHeaderH = 30;

struct Column {
    const char *label;
    quint8 state;
    bool enabled;
    bool focused;
    bool isDefault;
};

constexpr Column kColumns[] = {
    {"up", ButtonState::Up, true, false, false},
    {"pressed", ButtonState::Down, true, false, false},
    {"disabled", ButtonState::Up, false, false, false},
    {"focused", ButtonState::Up, true, true, false},
    {"focused, pressed", ButtonState::Down, true, true, false},
    {"default", ButtonState::Up, true, false, true},
};

const char *const kLookNames[] = {"",           "1 DoubleBevel", "2 ClassicBevel", "3 GradientRounded", "4 SoftRounded",
                                  "5 FlatBold", "6 ShadowFrame", "7 ThinBevel"};

void loadWindowsFonts()
{
    const QDir fonts(QStringLiteral("/usr/share/wine/fonts"));
    const QStringList files = fonts.entryList({QStringLiteral("*.ttf")}, QDir::Files);
    for (const QString &file : files) {
        if (QFontDatabase::addApplicationFont(fonts.filePath(file)) < 0) {
            qCWarning(lcButton) << "cannot load font" << fonts.filePath(file);
        }
    }
}

// The button as the window shows it: pixels outside its shape show the sheet behind.
QImage shaped(const ButtonSurface &surface, const QRegion &shape, QRgb behind)
{
    QImage image = surface.image().copy();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!shape.contains(QPoint(x, y))) {
                image.setPixel(x, y, behind);
            }
        }
    }
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: button-gallery OUTPUT.png\n");
        return 2;
    }
    loadWindowsFonts();

    QFont captionFont(QStringLiteral("MS Sans Serif"));
    captionFont.setPointSizeF(8.25);
    QFont labelFont(QStringLiteral("Tahoma"));
    labelFont.setPixelSize(12);

    struct Scheme {
        const char *label;
        qint32 id;
        ButtonColor back;
    };
    const Scheme schemes[] = {
        {"SystemColors", ButtonScheme::SystemColors, 0xD8E9EC},
        {"CustomColors 0xFFC0C0", ButtonScheme::CustomColors, 0xFFC0C0},
        {"StandardGrey", ButtonScheme::StandardGrey, 0xD8E9EC},
    };

    constexpr int columns = int(std::size(kColumns));
    const int rows = int(std::size(schemes)) * 7;
    const QRgb sheetColour = qRgb(255, 255, 255);
    QImage sheet(kLabelW + columns * kCellW, kHeaderH + rows * kCellH, QImage::Format_RGB32);
    sheet.fill(sheetColour);

    QPainter painter(&sheet);
    painter.setFont(labelFont);
    painter.setPen(Qt::black);
    for (int c = 0; c < columns; ++c) {
        painter.drawText(QRect(kLabelW + c * kCellW, 0, kCellW, kHeaderH), Qt::AlignCenter,
                         QString::fromLatin1(kColumns[c].label));
    }

    int row = 0;
    for (const Scheme &scheme : schemes) {
        const ButtonPalette palette = colorsForScheme(scheme.id, scheme.back, 0x000000, QGuiApplication::palette());
        for (int look = 1; look <= 7; ++look, ++row) {
            const int top = kHeaderH + row * kCellH;
            painter.setPen(Qt::black);
            painter.drawText(QRect(6, top, kLabelW - 6, kCellH), Qt::AlignVCenter | Qt::AlignLeft,
                             QString::fromLatin1(kLookNames[look]) + QLatin1Char('\n') +
                                 QString::fromLatin1(scheme.label));
            const QRegion shape = regionForLook(look, kButtonW, kButtonH);
            for (int c = 0; c < columns; ++c) {
                const Column &column = kColumns[c];
                LookParams params;
                params.buttonType = look;
                params.state = column.state;
                params.enabled = column.enabled;
                params.focusShown = column.focused;
                params.showFocusRect = true;
                params.displayAsDefault = column.isDefault;
                params.palette = palette;
                params.caption = QStringLiteral("&Prova");
                params.font = captionFont;
                params.layout = ButtonLayout::forSize(kButtonW, kButtonH);
                ButtonSurface surface;
                surface.resize(kButtonW, kButtonH);
                drawLook(surface, params);
                const QPoint at(kLabelW + c * kCellW + (kCellW - kButtonW) / 2, top + (kCellH - kButtonH) / 2);
                painter.drawImage(at, shaped(surface, shape, sheetColour));
            }
        }
    }
    painter.end();

    const QString output = QString::fromLocal8Bit(argv[1]);
    if (!sheet.save(output, "PNG")) {
        qCCritical(lcButton) << "cannot write the gallery sheet to" << output;
        return 1;
    }
    return 0;
}
