// Starts loading the font system as the program does, lets the thread that starts make a QObject
// before the application object exists (the pictures decoded ahead do), and then makes the
// application object. Exits 0 when Qt still takes this thread for the main one, and so still
// passes events through the application's event filters (the keyboard's and a load's); 1 when
// not.
#include "platform/Fonts.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>

#include <cstdio>
#include <future>

namespace
{
bool g_notMain = false;

class UserEvents : public QObject
{
public:
    int seen = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        seen += event->type() == QEvent::User;
        return false;
    }
};

void noteMessages(QtMsgType, const QMessageLogContext &, const QString &message)
{
    if (message.contains(QLatin1String("not created in the main() thread"))) {
        g_notMain = true;
    }
    std::fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(noteMessages);
    // The thread is still at work, with a QObject of its own, while the application object is
    // made: the order a slow start-up can take.
    std::promise<void> made;
    std::promise<void> applicationMade;
    std::future<void> madeOnTheFontThread = made.get_future();
    std::shared_future<void> applicationThere = applicationMade.get_future().share();
    startLoadingFontSystem([&made, applicationThere] {
        const QObject object;
        made.set_value();
        applicationThere.wait();
    });
    madeOnTheFontThread.wait();
    QGuiApplication app(argc, argv);
    UserEvents filter;
    app.installEventFilter(&filter);
    QObject receiver;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &event);
    if (filter.seen != 1) {
        std::fprintf(stderr, "the application's event filter saw %d of 1 event\n", filter.seen);
    }
    applicationMade.set_value();
    awaitFontSystem();
    return g_notMain || filter.seen != 1 ? 1 : 0;
}
