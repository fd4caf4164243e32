#include "windows/Form2.h"

#include "customButton/customButton.h"
#include "windows/Controls.h"
#include "windows/Icons.h"
#include "windows/KeyAscii.h"
#include "windows/Layout.h"
#include "windows/formpagiscopo.h"

#include <QLabel>
#include <QLineEdit>

Form2::Form2(formpagiscopo &main)
    : QDialog(&main, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_main(main)
{
    setObjectName(QStringLiteral("Form2"));
    keepDialogInView(this);
    setWindowTitle(QStringLiteral("Tempo cambiamento sottopagina"));
    setWindowIcon(applicationIcon());
    setFont(windowFont());
    setFixedSize(twipsToPixels(4680), twipsToPixels(1995));

    Skinner1 = new Skinner(1, QStringLiteral("Form2"), this);
    cambia = createButton(this, {"cambia", "Cambia!", 5, 1, kButtonFace, true}, 1680, 1560, 1335, 375);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    limitTypedDigits(Text1, 3);
    Text1->setFont(pointFont(QStringLiteral("MS Sans Serif"), 13.5, true));
    Text1->setAccessibleName(QStringLiteral("Intervallo in secondi"));
    placeTwips(Text1, 1920, 960, 735, 420);

    Label1 = new QLabel(QStringLiteral("Intervallo di tempo di scorrimento della sottopagina (secondi):"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFont(pointFont(QStringLiteral("MS Sans Serif"), 12, true));
    placeTwips(Label1, 120, 120, 4455, 735);

    setTabOrder(Text1, cambia);
    Text1->setFocus(Qt::OtherFocusReason);

    new KeyPressHook(Text1, [this](short &KeyAscii) { Text1_KeyPress(KeyAscii); });
    connect(cambia, &customButton::Click, this, &Form2::cambia_Click);
    Form_Load();
}
