// Forced redraws of every button look at the size of the program's common buttons: the time a
// property change or a click costs before the window can go on.

#include "customButton/customButton.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    constexpr int kWarmUp = 200;
    constexpr int kRuns = 3000;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);

    for (qint32 look = 1; look <= 7; ++look) {
        QWidget window;
        window.resize(120, 40);
        customButton button(&window);
        button.setGeometry(0, 0, 97, 25);
        button.initProperties();
        button.setColorScheme(look == 3 ? 2 : 1);
        button.setBackColor(0xFFC0C0);
        button.setButtonFont(font);
        button.setButtonType(look);
        button.setCaption(QStringLiteral("&Prova"));
        // A hidden widget takes its size only when shown.
        window.show();
        QCoreApplication::processEvents();
        if (button.surface().width() != 97 || button.surface().height() != 25) {
            std::fprintf(stderr, "button-bench: the button did not take its 97x25 size\n");
            return 1;
        }

        for (int i = 0; i < kWarmUp; ++i) {
            button.Redraw(0, true);
        }
        std::vector<qint64> samples;
        samples.reserve(kRuns);
        QElapsedTimer timer;
        for (int i = 0; i < kRuns; ++i) {
            timer.start();
            button.Redraw(0, true);
            samples.push_back(timer.nsecsElapsed());
        }
        std::nth_element(samples.begin(), samples.begin() + kRuns / 2, samples.end());
        const double medianUs = double(samples[kRuns / 2]) / 1000.0;
        std::printf("button look %d forced redraw 97x25: median %.1f us over %d runs\n", int(look), medianUs, kRuns);
    }
    return 0;
}
