#include "windows/Layout.h"

#include <QWidget>

void placeTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QFont pointFont(const QString &family, qreal points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

const QStringList &regionEditions()
{
    static const QStringList editions = {
        QStringLiteral("Nazionale"),  QStringLiteral("Abruzzo"),   QStringLiteral("Altoadige"),
        QStringLiteral("Basilicata"), QStringLiteral("Calabria"),  QStringLiteral("Campania"),
        QStringLiteral("Emilia"),     QStringLiteral("Friuli"),    QStringLiteral("Lazio"),
        QStringLiteral("Liguria"),    QStringLiteral("Lombardia"), QStringLiteral("Marche"),
        QStringLiteral("Molise"),     QStringLiteral("Piemonte"),  QStringLiteral("Puglia"),
        QStringLiteral("Sardegna"),   QStringLiteral("Sicilia"),   QStringLiteral("Toscana"),
        QStringLiteral("Trentino"),   QStringLiteral("Umbria"),    QStringLiteral("Aosta"),
        QStringLiteral("Veneto"),
    };
    return editions;
}
