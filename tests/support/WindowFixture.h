#pragma once

#include "FakePlatform.h"
#include "HttpFixture.h"
#include "PagePaths.h"
#include "viewer/DownloadUrl.h"
#include "windows/formpagiscopo.h"

#include <QString>
#include <QStringList>

#include <memory>

// The real main window against a loopback server that has page 100, with the platform double.
// Everything lives as long as the fixture; create one in init() and drop it in cleanup().
class WindowFixture
{
public:
    WindowFixture();
    ~WindowFixture();

    // Creates the window (start-up loads page 100) and forgets the start-up request.
    formpagiscopo &open();
    // Creates, shows and waits until the window is on the (offscreen) screen.
    formpagiscopo &openShown();
    // Serves a page image for each of these pages of the national edition.
    void servePages(std::initializer_list<int> pages);

    HttpFixture server;
    FakePlatform platform;
    Downloader downloader;
    std::unique_ptr<formpagiscopo> window;
};
