#include "windows/aboutform.h"

#include "windows/Controls.h"
#include "windows/Icons.h"
#include "windows/Layout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace
{

} // namespace

const QUrl &aboutform::webPage()
{
    static const QUrl page(QStringLiteral("http://www.example.org/pagiscopo/"));
    return page;
}

aboutform::aboutform(Platform &platform, QWidget *mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_platform(platform)
{
    setObjectName(QStringLiteral("aboutform"));
    keepDialogInView(this);
    setWindowTitle(QStringLiteral("About - zorvik!"));
    setWindowIcon(applicationIcon());
    setFont(windowFont());
    setFixedSize(twipsToPixels(5910), twipsToPixels(2760));
    setMouseTracking(true);

    Skinner1 = new Skinner(1, QStringLiteral("aboutform"), this);
    Label7 = createLabel(this, "Label7", QStringLiteral("zorvik88@example.org"), 2160, 2160, 1815, 255);
    Label7->setFont(pointFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    Label6 = createLabel(this, "Label6",
                         QStringLiteral("Qualsiasi commento,critica,consiglio, richiesta o altro potete trovarmi a"),
                         480, 1920, 5055, 255);

    // A one-pixel rule in the window-text colour across the window.
    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(0, twipsToPixels(1080), twipsToPixels(5880), 1);
    Line1->setAutoFillBackground(true);
    Line1->setBackgroundRole(QPalette::WindowText);
    Line1->setAccessibleName(QStringLiteral("Linea"));

    Label5 = createLabel(this, "Label5", webPage().toString(), 480, 1440, 5055, 255);
    Label5->setFont(pointFont(QStringLiteral("Microsoft Sans Serif"), 9.75, true));
    Label5->setMouseTracking(true);
    Label5->installEventFilter(this);
    QPalette red = Label5->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label5->setPalette(red);

    Label4 =
        createLabel(this, "Label4", QStringLiteral("L'ultima versione del programma la puoi trovare a questo link:"),
                    720, 1200, 4455, 255);
    Label3 = createLabel(this, "Label3",
                         QStringLiteral("Un grande ringraziamento va ad @Lampone@ alias (Mirtillo) per l'aiuto nel "
                                        "trovare bug, per l'idea di alcune features sviluppate, ed anche per l'aiuto "
                                        "morale :) GRAZIE Lampo!"),
                         120, 360, 5655, 615);
    Label3->setWordWrap(true);
    Label2 = createLabel(this, "Label2", QStringLiteral("Zorvik88"), 2760, 0, 975, 375);
    Label2->setFont(pointFont(QStringLiteral("Tw Cen MT"), 14.25, false));
    Label1 = createLabel(this, "Label1", QStringLiteral("Questo programma è stato scritto da "), 120, 120, 2775, 255);

    // Centred on the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect centred(QPoint(), size());
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
}
