#pragma once

#include <QList>
#include <QMetaType>
#include <QRect>
#include <QStringList>

class CellGrid;
class DigitTemplates;

// A page number printed on a page: where it is and which page it leads to.
struct PageLink {
    int page = 0;
    int row = 0;
    int column = 0;
    // The three cells' pixels in the picture.
    QRect rect;
    friend bool operator==(const PageLink &, const PageLink &) = default;
};
Q_DECLARE_METATYPE(PageLink)

// The numbers 100-899 that stand alone on the grid below the header (which shows the page's own
// number): three adjacent digit cells, with no digit on either side and no decimal mark between
// them and another digit. A cell is a digit by the templates; while they are not complete,
// `readRows` (the recogniser's reading, one character a cell; may be empty) stands in for the
// digits they do not know yet.
QList<PageLink> findPageLinks(const CellGrid &grid, const DigitTemplates &templates, const QStringList &readRows = {});

// The same rule on plain text, 25 rows of one character a cell: what the links of a page whose
// text is known should be.
QList<PageLink> pageLinksInText(const QStringList &rows);
