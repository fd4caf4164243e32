#include "app/AppLog.h"
#include "app/SignalCloser.h"
#include "app/StartOptions.h"
#include "platform/Fonts.h"
#include "platform/QtPlatform.h"
#include "server/SampleServer.h"
#include "viewer/DownloadUrl.h"
#include "windows/Icons.h"
#include "windows/formpagiscopo.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Decide before any window system is touched: --help and bad options must work without a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const StartOptions options = parseStartOptions(arguments, qEnvironmentVariable("PAGISCOPO_SERVER"));
    switch (options.action) {
    case StartOptions::Action::ShowHelp:
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    case StartOptions::Action::ShowVersion:
        std::printf("pagiscopo %s\n", PAGISCOPO_VERSION);
        return 0;
    case StartOptions::Action::Fail:
        std::fprintf(stderr, "pagiscopo: %s\n", options.error.toLocal8Bit().constData());
        return 2;
    case StartOptions::Action::Run:
        break;
    }

    chooseWindowSystem();
    // While the application object connects to the window system, fontconfig loads on a thread of
    // its own. Only now: fontconfig reads the environment there, and setting a variable meanwhile
    // (above) could move it under its feet.
    startLoadingFontSystem();
    // A screen scaled by 1.25 or 1.5 would give the page's pixels and the buttons' drawn lines
    // uneven widths; a whole scale keeps every one of them a block of whole screen pixels.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pagiscopo"));
    QApplication::setApplicationVersion(QStringLiteral(PAGISCOPO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Pagiscopo"));
    // From here on SIGTERM, SIGINT and SIGHUP close the window as its close box would, even while
    // the first page is still loading; so nothing stays behind of the private folder made next.
    SignalCloser signalCloser;
    // Before the fonts, which may still be loading: the private folder, the translation and
    // libcurl need none of them.
    QtPlatform platform;
    QtPlatform::installTranslations();
    Downloader &downloader = Downloader::shared();
    // A named server's first page is asked for now, while the fonts may still be loading. (The
    // built-in server draws its pages with fonts of its own, so it starts once they are loaded.)
    std::unique_ptr<EarlyDownload> firstPage;
    if (!options.serverBase.isEmpty()) {
        firstPage = std::make_unique<EarlyDownload>(downloader, formpagiscopo::firstPageAddress(options.serverBase));
    }
    // Rather than wait for fontconfig, the window's pictures are decoded while it loads. Not on
    // its thread, after it: the main thread, woken there, would often wait for that one's CPU.
    decodePicturesWhile(fontSystemLoading);
    // Before the window: the lists' pop-ups are windows of their own and take the application's.
    QtPlatform::installApplicationFont();

    // With no server named, the sample service built into the program answers on a loopback port,
    // so the program shows pages on a machine with no network at all.
    QString serverBase = options.serverBase;
    SampleServer builtInServer;
    if (serverBase.isEmpty()) {
        QString error;
        if (!builtInServer.start(&error)) {
            std::fprintf(stderr, "pagiscopo: cannot start the built-in sample server: %s\n",
                         error.toLocal8Bit().constData());
            return 1;
        }
        serverBase = builtInServer.baseUrl();
    }

    // Watched before the first page loads: a signal or the close box during a slow start-up ends
    // the program there and then.
    formpagiscopo window(
        platform, downloader, serverBase, [&signalCloser](formpagiscopo &starting) { signalCloser.watch(&starting); },
        std::move(firstPage));
    if (window.isClosing()) {
        qCInfo(lcApp) << "closed while the first page was loading";
        return 0;
    }
    window.show();
    return app.exec();
}
