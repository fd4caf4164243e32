#include "windows/formpagiscopo.h"

#include "customButton/customButton.h"
#include "platform/Platform.h"
#include "reader/Reader.h"
#include "text/PageTextView.h"
#include "viewer/PageAddress.h"
#include "windows/Controls.h"
#include "windows/Icons.h"
#include "windows/Layout.h"
#include "windows/PictureBox.h"
#include "windows/WindowsLog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

Q_LOGGING_CATEGORY(lcWindows, "pagiscopo.windows", QtInfoMsg)

namespace
{

// Looks and palettes of the button control, by their stored numbers.
constexpr qint32 kDoubleBevel = 1;
constexpr qint32 kGradientRounded = 3;
constexpr qint32 kSoftRounded = 4;
constexpr qint32 kFlatBold = 5;
constexpr qint32 kSystemColors = 1;
constexpr qint32 kCustomColors = 2;

Frame *createFrame(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height)
{
    auto *frame = new Frame(caption, parent);
    frame->setObjectName(QLatin1String(name));
    placeTwips(frame, left, top, width, height);
    return frame;
}

WrappingCheckBox *createCheckBox(QWidget *parent, const char *name, const QString &caption, int left, int top,
                                 int width, int height)
{
    auto *box = new WrappingCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    placeTwips(box, left, top, width, height);
    return box;
}

PictureButton *createPictureButton(QWidget *parent, const char *name, const QPixmap &picture, int left, int top,
                                   int width, int height)
{
    auto *button = new PictureButton(picture, QLatin1String(name), parent);
    button->setObjectName(QLatin1String(name));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, Qt::white);
    button->setPalette(palette);
    button->setFocusPolicy(Qt::StrongFocus);
    placeTwips(button, left, top, width, height);
    return button;
}

QTimer *createTimer(QObject *parent, const char *name, int intervalMs, bool enabled)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(intervalMs);
    if (enabled) {
        timer->start();
    }
    return timer;
}

} // namespace

formpagiscopo::formpagiscopo(Platform &platform, Downloader &downloader, const QString &serverBase, QWidget *parent)
    : formpagiscopo(platform, downloader, serverBase, {}, {}, parent)
{
}

formpagiscopo::formpagiscopo(Platform &platform, Downloader &downloader, const QString &serverBase,
                             const std::function<void(formpagiscopo &)> &beforeFormLoad,
                             std::unique_ptr<EarlyDownload> firstPage, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_platform(platform), m_serverBase(serverBase),
      m_loader(std::make_unique<PageLoader>(static_cast<PageLoaderHost &>(*this), platform, downloader, serverBase))
{
    setObjectName(QStringLiteral("formpagiscopo"));
    // The first page's address is known before a single control exists: its download runs while
    // the window is being built (if it is not already under way), and Form_Load's load takes its
    // answer.
    m_loader->prefetch(std::move(firstPage));
    m_loader->prefetch(firstPageAddress(serverBase));
    buildLayout();
    // Before the first page, which is the history's first entry, and at the zoom kept last time.
    const QString settingsPath = platform.favouritesDir() + QStringLiteral("/pagiscopo.conf");
    m_reader = std::make_unique<Reader>(*this, platform, settingsPath);
    m_pageText = std::make_unique<PageTextView>(*this, settingsPath);
    if (beforeFormLoad) {
        beforeFormLoad(*this);
    }
    m_loader->setStartingUp(true);
    Form_Load();
    m_loader->setStartingUp(false);
    // Connected only now: selecting the first entries from Form_Load must not load pages of its own.
    connectControls();
}

formpagiscopo::~formpagiscopo()
{
    // Closing the native window below may still send the controls focus events, and with them
    // commands; nothing may load any more.
    m_destroying = true;
    // The application's own signals (focus changes) must not reach a window half torn down.
    disconnect(qApp, nullptr, this, nullptr);
}

QByteArray formpagiscopo::firstPageAddress(const QString &serverBase)
{
    return pageAddress(serverBase, regionEditions().constFirst(), QStringLiteral("100"), QStringLiteral("1"));
}

void formpagiscopo::buildLayout()
{
    setWindowTitle(QStringLiteral("Pagiscopo 3.5 - zorvik"));
    setWindowIcon(applicationIcon());
    setFont(windowFont());
    setFixedSize(twipsToPixels(kFullWidthTwips), twipsToPixels(kFullHeightTwips));
    // The client area's place on the screen; move() would put the frame there instead.
    setGeometry(twipsToPixels(2175), twipsToPixels(780), width(), height());

    // In creation order.
    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->setAccessibleName(QStringLiteral("Pagina teletext"));
    placeTwips(Picture1, 120, 120, 5460, 6060);

    About =
        createButton(this, {"About", "About", kSoftRounded, kSystemColors, kButtonFace, false}, 5880, 5280, 1455, 255);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItems(regionEditions());
    Combo1->setCurrentIndex(-1);
    Combo1->setMaxVisibleItems(int(regionEditions().size()));
    Combo1->setAccessibleName(QStringLiteral("Pagiscopo regionale"));
    placeTwips(Combo1, 5880, 5880, 1215, 315);

    Frame2 = createFrame(this, "Frame2", QStringLiteral("Preferiti"), 120, 6240, 7095, 735);
    const auto favourite = [this](const char *name, const char *caption, int left, int width) {
        return createButton(Frame2, {name, caption, kGradientRounded, kCustomColors, kFavouriteFace, false}, left, 240,
                            width, 375);
    };
    sport = favourite("sport", "Sport", 2040, 735);
    ultime = favourite("ultime", "Notizie", 120, 735);
    Tv = favourite("Tv", "T.V.", 3960, 735);
    libero = favourite("libero", "Clicca m", 5880, 975);
    tvoggi = favourite("tvoggi", "Tv oggi sera", 4800, 975);
    ultimaora = favourite("ultimaora", "Ultim'ora", 960, 975);
    calcio = favourite("calcio", "Calcio", 2880, 975);

    Timer2 = createTimer(this, "Timer2", 10000, false);
    Timer1 = createTimer(this, "Timer1", 30000, true);

    numsottopag = new QComboBox(this);
    numsottopag->setObjectName(QStringLiteral("numsottopag"));
    numsottopag->setEditable(true);
    numsottopag->setInsertPolicy(QComboBox::NoInsert);
    numsottopag->setCompleter(nullptr); // typed digits stay exactly as typed
    numsottopag->setAccessibleName(QStringLiteral("Sotto-pagina"));
    placeTwips(numsottopag, 6960, 2280, 615, 315);

    indietro = createPictureButton(this, "indietro", previousPagePicture(), 5880, 1200, 735, 615);
    avanti = createPictureButton(this, "avanti", nextPagePicture(), 6720, 1200, 735, 615);

    pagpagiscopo = new QLineEdit(this);
    pagpagiscopo->setObjectName(QStringLiteral("pagpagiscopo"));
    limitTypedLength(pagpagiscopo, 3);
    pagpagiscopo->setText(QStringLiteral("100"));
    pagpagiscopo->setFont(pointFont(QStringLiteral("Tahoma"), 15.75, true));
    pagpagiscopo->setAccessibleName(QStringLiteral("Numero della pagina"));
    placeTwips(pagpagiscopo, 5880, 480, 735, 495);

    Skinner1 = new Skinner(2, QStringLiteral("formpagiscopo"), this);

    Frame1 = createFrame(this, "Frame1", QStringLiteral("Opzioni"), 5640, 2880, 2055, 2295);
    Check1 = createCheckBox(Frame1, "Check1", QStringLiteral("Sempre in primo piano"), 120, 240, 1815, 495);
    scorri1 = createCheckBox(Frame1, "scorri1", QStringLiteral("Auto scorrimento sottopagine (10 sec.)"), 120, 840,
                             1815, 495);
    const auto option = [this](const char *name, const char *caption, int top) {
        return createButton(Frame1, {name, caption, kGradientRounded, kSystemColors, kButtonFace, false}, 240, top,
                            1455, 255);
    };
    Refresh1 = option("Refresh1", "Ferma auto-refresh", 1440);
    traybar1 = option("traybar1", "Metti in TrayBar", 1680);
    soloimma = option("soloimma", "Togli pulsanti", 1920);

    Frame3 = createFrame(this, "Frame3", QStringLiteral("Gestione Pagine"), 5640, 120, 2055, 2655);
    nextsottopag =
        createButton(Frame3, {"nextsottopag", ">", kFlatBold, kSystemColors, kButtonFace, true}, 720, 2160, 615, 255);
    backsottopag =
        createButton(Frame3, {"backsottopag", "<", kFlatBold, kSystemColors, kButtonFace, true}, 120, 2160, 615, 255);
    vai = createButton(Frame3, {"vai", "Vai", kDoubleBevel, kSystemColors, kButtonFace, false}, 1080, 360, 495, 495);
    Label1 = createLabel(Frame3, "Label1", QStringLiteral("Sotto-pagina"), 120, 1920, 975, 255);

    Label3 = createLabel(this, "Label3", QStringLiteral("Pagiscopo regionale"), 5880, 5640, 1455, 255);

    // These four belong to the window but lie within the page-management frame, drawn above it.
    for (QWidget *overFrame : {static_cast<QWidget *>(pagpagiscopo), static_cast<QWidget *>(indietro),
                               static_cast<QWidget *>(avanti), static_cast<QWidget *>(numsottopag)}) {
        overFrame->raise();
    }

    // The keyboard order of the controls that take the focus.
    const QList<QWidget *> tabOrder = {pagpagiscopo, indietro, avanti,   numsottopag,  sport,        ultime,
                                       Tv,           libero,   tvoggi,   ultimaora,    calcio,       vai,
                                       traybar1,     Refresh1, Combo1,   backsottopag, nextsottopag, scorri1,
                                       Check1,       About,    Picture1, soloimma};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    // The page box has the focus from the start, its text selected so that a page typed replaces it.
    pagpagiscopo->setFocus(Qt::OtherFocusReason);
    pagpagiscopo->selectAll();
}

void formpagiscopo::connectControls()
{
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });

    connect(avanti, &QPushButton::clicked, this, &formpagiscopo::avanti_Click);
    connect(indietro, &QPushButton::clicked, this, &formpagiscopo::indietro_Click);
    connect(nextsottopag, &customButton::Click, this, &formpagiscopo::nextsottopag_Click);
    connect(backsottopag, &customButton::Click, this, &formpagiscopo::backsottopag_Click);
    connect(vai, &customButton::Click, this, &formpagiscopo::vai_Click);
    // A pick from the list only; typing and texts set by commands do not count.
    connectSubpageList();

    // Runs for the user's click and for every change of the value made by the program.
    connect(Check1, &QCheckBox::toggled, this, &formpagiscopo::Check1_Click);
    connect(scorri1, &QCheckBox::toggled, this, &formpagiscopo::scorri1_Click);
    connect(Timer1, &QTimer::timeout, this, &formpagiscopo::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &formpagiscopo::Timer2_Timer);
    connect(Refresh1, &customButton::Click, this, &formpagiscopo::Refresh1_Click);
    connect(About, &customButton::Click, this, &formpagiscopo::About_Click);
    connect(traybar1, &customButton::Click, this, &formpagiscopo::traybar1_Click);
    connect(soloimma, &customButton::Click, this, &formpagiscopo::soloimma_Click);

    connect(libero, &customButton::Click, this, &formpagiscopo::libero_Click);
    connect(tvoggi, &customButton::Click, this, &formpagiscopo::tvoggi_Click);
    connect(Tv, &customButton::Click, this, &formpagiscopo::Tv_Click);
    connect(ultime, &customButton::Click, this, &formpagiscopo::ultime_Click);
    connect(ultimaora, &customButton::Click, this, &formpagiscopo::ultimaora_Click);
    connect(sport, &customButton::Click, this, &formpagiscopo::sport_Click);
    connect(calcio, &customButton::Click, this, &formpagiscopo::calcio_Click);
    connect(libero, &customButton::KeyPress, this, &formpagiscopo::libero_KeyPress);
    connect(tvoggi, &customButton::KeyPress, this, &formpagiscopo::tvoggi_KeyPress);
    connect(Tv, &customButton::KeyPress, this, &formpagiscopo::Tv_KeyPress);
    connect(ultime, &customButton::KeyPress, this, &formpagiscopo::ultime_KeyPress);
    connect(ultimaora, &customButton::KeyPress, this, &formpagiscopo::ultimaora_KeyPress);
    connect(sport, &customButton::KeyPress, this, &formpagiscopo::sport_KeyPress);
    connect(calcio, &customButton::KeyPress, this, &formpagiscopo::calcio_KeyPress);

    connectKeyboard();
}

void formpagiscopo::closeEvent(QCloseEvent *event)
{
    qint16 cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    // A download under way ends now; the load it belongs to then ends as if answered No.
    m_loader->close();
    event->accept();
}
