#include "WindowFixture.h"

#include "TestImages.h"

#include <QTest>

WindowFixture::WindowFixture()
{
    server.serve(national(100), pagePng(100));
}

WindowFixture::~WindowFixture()
{
    window.reset();
}

formpagiscopo &WindowFixture::open()
{
    window = std::make_unique<formpagiscopo>(platform, downloader, server.baseUrl());
    server.clearRequests();
    return *window;
}

formpagiscopo &WindowFixture::openShown()
{
    open();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        qWarning("the main window was never exposed");
    }
    return *window;
}

void WindowFixture::servePages(std::initializer_list<int> pages)
{
    for (const int page : pages) {
        server.serve(national(page), pagePng(quint32(page)));
    }
}
