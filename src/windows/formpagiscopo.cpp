#include "windows/formpagiscopo.h"

#include "viewer/PageAddress.h"
#include "windows/Layout.h"
#include "windows/PictureBox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>

formpagiscopo::formpagiscopo(Platform &platform, Downloader &downloader, const QString &serverBase, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_platform(platform), m_downloader(downloader), m_serverBase(serverBase)
{
    setObjectName(QStringLiteral("formpagiscopo"));
    buildLayout();
    Form_Load();
    // Connected only now: selecting the first edition from Form_Load must not load a page of its own.
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });
}

formpagiscopo::~formpagiscopo() = default;

void formpagiscopo::buildLayout()
{
    setWindowTitle(QStringLiteral("Pagiscopo 3.5 - zorvik"));
    setFixedSize(twipsToPixels(7785), twipsToPixels(7035));
    move(twipsToPixels(2175), twipsToPixels(780));

    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    placeTwips(Picture1, 120, 120, 5460, 6060);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItems(regionEditions());
    Combo1->setCurrentIndex(-1);
    Combo1->setMaxVisibleItems(int(regionEditions().size()));
    placeTwips(Combo1, 5880, 5880, 1215, 315);

    numsottopag = new QComboBox(this);
    numsottopag->setObjectName(QStringLiteral("numsottopag"));
    numsottopag->setEditable(true);
    numsottopag->setInsertPolicy(QComboBox::NoInsert);
    numsottopag->setCompleter(nullptr); // typed digits stay exactly as typed
    placeTwips(numsottopag, 6960, 2280, 615, 315);

    pagpagiscopo = new QLineEdit(this);
    pagpagiscopo->setObjectName(QStringLiteral("pagpagiscopo"));
    limitTypedLength(pagpagiscopo, 3);
    pagpagiscopo->setText(QStringLiteral("100"));
    pagpagiscopo->setFont(pointFont(QStringLiteral("Tahoma"), 15.75, true));
    placeTwips(pagpagiscopo, 5880, 480, 735, 495);

    setTabOrder(pagpagiscopo, numsottopag);
    setTabOrder(numsottopag, Combo1);
}

QString formpagiscopo::subpageText() const
{
    return numsottopag->currentText();
}

void formpagiscopo::setSubpageText(const QString &text)
{
    numsottopag->setEditText(text);
}

void formpagiscopo::closeEvent(QCloseEvent *event)
{
    qint16 cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    m_closing = true;
    event->accept();
}
