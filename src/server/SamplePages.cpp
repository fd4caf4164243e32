// What the sample pages say and how they are laid out. All text is Italian and plainly invented;
// the choices that vary from page to page come from a small generator seeded by the page's
// address, so a page reads the same on every request and every machine.

#include "Catalogue.h"
#include "CatalogueTable.h"
#include "TeletextPage.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

namespace Catalogue::detail
{
namespace
{

using Teletext::Colour;
using Teletext::Page;

constexpr int BodyTop = 9;
constexpr int BodyBottom = 21;
constexpr int TextWidth = 38;

// xorshift32: tiny, and unlike the standard distributions it gives the same numbers everywhere.
class Dice
{
public:
    explicit Dice(quint32 seed) : m_state(seed ? seed : 0x9e3779b9u) {}
    quint32 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<quint32>(n)); }

private:
    quint32 m_state;
};

quint32 seedFor(std::initializer_list<int> values)
{
    quint32 hash = 2166136261u;
    for (const int value : values) {
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (static_cast<quint32>(value) >> shift) & 0xffu;
            hash *= 16777619u;
        }
    }
    return hash;
}

template <typename T, std::size_t N> const T &pick(const T (&list)[N], int index)
{
    return list[static_cast<std::size_t>(index) % N];
}

constexpr QStringView RegionNames[] = {
    u"Nazionale",     u"Abruzzo",  u"Alto Adige",     u"Basilicata",
    u"Calabria",      u"Campania", u"Emilia-Romagna", u"Friuli-Venezia Giulia",
    u"Lazio",         u"Liguria",  u"Lombardia",      u"Marche",
    u"Molise",        u"Piemonte", u"Puglia",         u"Sardegna",
    u"Sicilia",       u"Toscana",  u"Trentino",       u"Umbria",
    u"Valle d'Aosta", u"Veneto",
};

// Regional capitals in edition order (the national edition's entry is Rome).
constexpr QStringView Capitals[] = {
    u"Roma",    u"L'Aquila", u"Bolzano", u"Potenza", u"Catanzaro",  u"Napoli",  u"Bologna", u"Trieste",
    u"Roma",    u"Genova",   u"Milano",  u"Ancona",  u"Campobasso", u"Torino",  u"Bari",    u"Cagliari",
    u"Palermo", u"Firenze",  u"Trento",  u"Perugia", u"Aosta",      u"Venezia",
};

constexpr QStringView EuropeanCities[] = {
    u"Parigi",  u"Londra",   u"Berlino", u"Madrid",  u"Vienna", u"Atene",
    u"Lisbona", u"Varsavia", u"Praga",   u"Dublino", u"Oslo",   u"Stoccolma",
};

constexpr QStringView NewsTopics[] = {
    u"POLITICA",   u"ESTERI", u"CRONACA",   u"ECONOMIA", u"SCIENZA",  u"SALUTE",    u"AMBIENTE",
    u"TECNOLOGIA", u"SCUOLA", u"TRASPORTI", u"LAVORO",   u"SOCIETA'", u"GIUSTIZIA", u"SPAZIO",
};
constexpr QStringView SportTopics[] = {
    u"CICLISMO", u"TENNIS", u"BASKET", u"PALLAVOLO", u"NUOTO", u"ATLETICA",
    u"SCI",      u"MOTORI", u"RUGBY",  u"SCHERMA",   u"VELA",  u"GOLF",
};
constexpr QStringView FootballTopics[] = {
    u"SERIE DEMO", u"COPPE", u"NAZIONALE DEMO", u"MERCATO", u"ARBITRI", u"GIOVANILI", u"FEMMINILE", u"STADI",
};
constexpr QStringView RegionalTopics[] = {
    u"CRONACA", u"POLITICA", u"ECONOMIA", u"CULTURA",  u"SPORT",
    u"LAVORO",  u"SANITA'",  u"SCUOLA",   u"AMBIENTE", u"TURISMO",
};
constexpr QStringView RegionalWeather[] = {u"METEO OGGI", u"DOMANI", u"DOPODOMANI", u"TENDENZA"};
constexpr QStringView RegionalZones[] = {u"Zona nord", u"Zona sud", u"Zona est", u"Zona ovest", u"Rilievi"};
constexpr QStringView WeatherAreas[] = {
    u"NORD-OVEST", u"NORD-EST",        u"CENTRO",        u"SUD",        u"ISOLE",    u"MARI",  u"MONTAGNA",
    u"LAGHI",      u"AVVISI",          u"DOMANI",        u"DOPODOMANI", u"TENDENZA", u"VENTI", u"NEVE",
    u"POLLINI",    u"ALBA E TRAMONTO", u"QUALITA' ARIA",
};
constexpr QStringView EconomyTopics[] = {u"LAVORO",    u"IMPRESE",  u"FISCO", u"PREZZI",
                                         u"RISPARMIO", u"PENSIONI", u"CASA"};
constexpr QStringView MarketTopics[] = {
    u"TITOLI DI STATO", u"INDICI ESTERI", u"MATERIE PRIME", u"METALLI", u"FONDI", u"OBBLIGAZIONI", u"ENERGIA",
};
constexpr QStringView CultureTopics[] = {
    u"CINEMA", u"TEATRO",     u"MUSICA", u"LIBRI",   u"MOSTRE", u"FESTIVAL",
    u"DANZA",  u"FOTOGRAFIA", u"OPERA",  u"FUMETTI", u"MUSEI",  u"ARCHITETTURA",
};
constexpr QStringView GamesTopics[] = {u"GIOCHI", u"OROSCOPO", u"LOTTERIE", u"ENIGMI", u"SCACCHI", u"QUIZ"};
constexpr QStringView ServicesTopics[] = {
    u"NUMERI UTILI", u"FARMACIE", u"TRENI", u"AEREI",       u"TRAGHETTI", u"AUTOSTRADE",
    u"POSTE",        u"OSPEDALI", u"MUSEI", u"BIBLIOTECHE", u"UFFICI",    u"EMERGENZE",
};
constexpr QStringView MoreServicesTopics[] = {
    u"CONCORSI", u"SCADENZE", u"ORARI", u"TARIFFE", u"EVENTI", u"CONSUMATORI", u"SPORTELLI", u"CONTATTI",
};

constexpr QStringView NewsHeadlines[] = {
    u"Prova generale del teletesto",    u"Nuove pagine per il servizio", u"Giornata di prova in redazione",
    u"Notizia inventata per la prova",  u"Aggiornamento del catalogo",   u"Un testo segnaposto fra tanti",
    u"Il servizio demo compie un anno", u"Tutto regolare, per finta",
};
constexpr QStringView SportHeadlines[] = {
    u"Gara di prova senza vincitori",  u"Allenamento a porte chiuse",   u"Record inventato in pista",
    u"La squadra demo torna in campo", u"Finale simulata al tie-break", u"Tappa di prova in collina",
};
constexpr QStringView FootballHeadlines[] = {
    u"Pareggio di prova all'ultimo", u"Le Aquile vincono in trasferta", u"I Lupi cambiano allenatore",
    u"Derby simulato senza reti",    u"Mercato: nessun acquisto vero",
};
constexpr QStringView RegionalHeadlines[] = {
    u"Notizie di prova dalla regione", u"Consiglio regionale di prova", u"Sagra inventata nel capoluogo",
    u"Lavori simulati sulla statale",  u"Scuole: la prova e' riuscita",
};
constexpr QStringView EconomyHeadlines[] = {
    u"Mercati di prova in lieve rialzo",
    u"Bilancio inventato per l'anno",
    u"Prezzi simulati stabili",
    u"Lavoro: dati di esempio",
};
constexpr QStringView CultureHeadlines[] = {
    u"Prima di prova al teatro demo", u"Mostra inventata in centro",   u"Un film che non esiste",
    u"Concerto simulato in piazza",   u"Libro di prova in classifica",
};
constexpr QStringView ServicesHeadlines[] = {
    u"Numeri di prova per ogni caso",
    u"Orari simulati dei treni",
    u"Farmacie di turno: elenco demo",
    u"Informazioni utili di esempio",
};

constexpr QStringView Sentences[] = {
    u"Questa \u00e8 una notizia di esempio del servizio dimostrativo.",
    u"Nomi, cifre e luoghi sono inventati e non descrivono fatti reali.",
    u"La pagina serve a provare il programma senza una rete vera.",
    u"Il testo cambia da pagina a pagina, ma resta sempre di prova.",
    u"Le sottopagine mostrano come il programma le fa scorrere.",
    u"L'orologio in alto a destra segna l'ora di ogni richiesta.",
    u"Ogni edizione regionale ha anche pagine tutte sue.",
    u"Alcuni numeri di pagina mancano apposta, per provare la ricerca.",
    u"Il colore dei titoli distingue le sezioni del servizio.",
    u"La redazione di prova augura a tutti buona lettura.",
    u"Pi\u00f9 tardi seguiranno altri aggiornamenti, anch'essi di prova.",
    u"Il servizio dimostrativo non chiude mai, nemmeno di luned\u00ec.",
    u"Per tornare all'indice basta chiedere la pagina 100.",
    u"Perch\u00e9 tutto sia leggibile, le righe non superano i quaranta caratteri.",
    u"In citt\u00e0 e in campagna la giornata trascorre senza novit\u00e0.",
    u"Chi legge pu\u00f2 cambiare pagina quando vuole.",
    u"Le immagini hanno sempre la stessa misura: 360 per 400 punti.",
    u"Nessuna di queste frasi \u00e8 vera, ma tutte sono scritte con cura.",
};

constexpr QStringView Teams[] = {
    u"Aquile", u"Leoni", u"Falchi",  u"Lupi",   u"Orsi",    u"Delfini", u"Tori",  u"Gufi",
    u"Volpi",  u"Cervi", u"Pantere", u"Squali", u"Castori", u"Grifoni", u"Cigni", u"Stambecchi",
};

constexpr QStringView Programmes[] = {
    u"Telegiornale di prova", u"Meteo in breve",       u"Film: Il teletesto perduto", u"Documentario di esempio",
    u"Cartoni animati demo",  u"Quiz del pomeriggio",  u"Cucina inventata",           u"Concerto registrato",
    u"Telefilm di prova",     u"Notiziario regionale", u"Sport: sintesi simulata",    u"Salotto di esempio",
    u"Viaggio fra le pagine", u"Musica senza parole",  u"Giochi a premi finti",       u"Film: Pagina cento",
    u"Rassegna stampa demo",  u"Previsioni del tempo",
};

constexpr QStringView Skies[] = {
    u"sereno", u"poco nuvoloso", u"nuvoloso", u"pioggia", u"temporale", u"nebbia", u"neve", u"variabile",
};
constexpr Colour SkyColours[] = {
    Colour::Yellow,  Colour::Yellow, Colour::White, Colour::Cyan,
    Colour::Magenta, Colour::White,  Colour::White, Colour::Green,
};

constexpr QStringView StockNames[] = {u"ALFA", u"BETA", u"GAMMA", u"DELTA", u"OMEGA", u"SIGMA", u"ZETA", u"KAPPA"};
constexpr QStringView StockKinds[] = {u"DEMO", u"PROVA", u"ESEMPIO", u"TEST"};
constexpr QStringView Currencies[] = {
    u"Dollaro USA", u"Sterlina",         u"Franco svizzero",     u"Yen",  u"Corona svedese", u"Corona norvegese",
    u"Zloty",       u"Dollaro canadese", u"Dollaro australiano", u"Yuan", u"Rupia",          u"Real",
};

constexpr QStringView DayNames[] = {u"Lun", u"Mar", u"Mer", u"Gio", u"Ven", u"Sab", u"Dom"};
constexpr QStringView MonthNames[] = {u"Gen", u"Feb", u"Mar", u"Apr", u"Mag", u"Giu",
                                      u"Lug", u"Ago", u"Set", u"Ott", u"Nov", u"Dic"};

struct Style {
    QStringView title;
    Colour banner;
    Colour ink;
};

Style styleOf(Section section)
{
    switch (section) {
    case Section::Index:
        return {u"INDICE", Colour::Blue, Colour::Yellow};
    case Section::News:
        return {u"NOTIZIE", Colour::Blue, Colour::White};
    case Section::Sport:
        return {u"SPORT", Colour::Green, Colour::Black};
    case Section::Football:
        return {u"CALCIO", Colour::Green, Colour::Black};
    case Section::Regional:
        return {u"REGIONI", Colour::Magenta, Colour::White};
    case Section::Weather:
        return {u"METEO", Colour::Cyan, Colour::Black};
    case Section::Television:
        return {u"TELEVISIONE", Colour::Red, Colour::White};
    case Section::Radio:
        return {u"RADIO", Colour::Red, Colour::White};
    case Section::Economy:
        return {u"ECONOMIA", Colour::Yellow, Colour::Black};
    case Section::Culture:
        return {u"CULTURA E SPETTACOLI", Colour::Magenta, Colour::White};
    case Section::Services:
        return {u"SERVIZI", Colour::Blue, Colour::White};
    }
    return {u"", Colour::Blue, Colour::White};
}

// Blue is too dark to read as text on black, so sections shown in blue are listed in cyan.
Colour listColour(Section section)
{
    const Colour banner = styleOf(section).banner;
    return banner == Colour::Blue ? Colour::Cyan : banner;
}

QString concat(std::initializer_list<QStringView> parts)
{
    QString text;
    for (const QStringView part : parts) {
        text += part;
    }
    return text;
}

QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, u'0');
}

QString decimal(int hundredths, bool sign = false)
{
    const int magnitude = hundredths < 0 ? -hundredths : hundredths;
    QString text = QString::number(magnitude / 100) + u',' + twoDigits(magnitude % 100);
    if (hundredths < 0) {
        text.prepend(u'-');
    } else if (sign) {
        text.prepend(u'+');
    }
    return text;
}

QStringList wrap(QStringView text, int width)
{
    QStringList lines;
    QString line;
    for (const QStringView word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines.append(line);
            line.clear();
        }
        if (!line.isEmpty()) {
            line += u' ';
        }
        line += word;
    }
    if (!line.isEmpty()) {
        lines.append(line);
    }
    return lines;
}

// "TITLE.........104": a listing entry with dotted leaders, `width` cells wide.
QString listing(QStringView title, int page, int width)
{
    const QString number = QString::number(page);
    QString name = title.left(width - number.size() - 1).toString();
    return name.leftJustified(width - number.size(), u'.') + number;
}

void centred(Page &page, int row, QStringView text, Colour fg, Colour bg = Colour::Black)
{
    page.text(row, (Teletext::Columns - static_cast<int>(text.size())) / 2, text, fg, bg);
}

void header(Page &page, int edition, int number, const QDateTime &clock)
{
    const QDateTime when = clock.isValid() ? clock : Catalogue::fixedTime();
    const QDate date = when.date();
    const QTime time = when.time();

    page.text(0, 0, QString(u'P' + QString::number(number)), Colour::White);
    page.text(0, 5, u"DEMO", Colour::Yellow, Colour::Blue);
    page.text(0, 10, Catalogue::editions().at(edition).left(10), Colour::Cyan);
    page.text(0, 21,
              concat({pick(DayNames, date.dayOfWeek() - 1), u" ", twoDigits(date.day()), u" ",
                      pick(MonthNames, date.month() - 1)}),
              Colour::White);
    page.text(0, 32, time.toString(QStringLiteral("HH:mm:ss")), Colour::Yellow);
}

void banner(Page &page, QStringView title, Section section, int subpage, int subpages)
{
    const Style style = styleOf(section);
    for (int col = 0; col < Teletext::Columns; ++col) {
        page.mosaic(1, col, 0x30, style.banner);
        page.mosaic(4, col, 0x03, style.banner);
    }
    page.fill(2, 0, Teletext::Columns, style.banner);
    page.fill(3, 0, Teletext::Columns, style.banner);
    page.doubleText(2, 1, title.left(32), style.ink, style.banner);
    if (subpages > 1) {
        const QString counter = QString::number(subpage) + u'/' + QString::number(subpages);
        page.text(2, 39 - static_cast<int>(counter.size()), counter, style.ink, style.banner);
    }
}

void footer(Page &page)
{
    centred(page, 23, u"Contenuti di prova - servizio DEMO", Colour::Magenta);
    page.text(24, 0, u"100 Indice", Colour::Red);
    page.text(24, 12, u"200 Sport", Colour::Green);
    page.text(24, 23, u"400 Meteo", Colour::Yellow);
    page.text(24, 34, u"500 TV", Colour::Cyan);
}

void headline(Page &page, QStringView text, Colour colour = Colour::Yellow)
{
    page.doubleText(6, 1, text.left(TextWidth), colour);
}

// Writes whole paragraphs from `row` on, a blank line between them, as many as fit.
void paragraphs(Page &page, int row, const QStringList &texts, Colour colour, int lastRow = BodyBottom)
{
    for (const QString &text : texts) {
        const QStringList lines = wrap(text, TextWidth);
        if (row + lines.size() - 1 > lastRow) {
            return;
        }
        for (const QString &line : lines) {
            page.text(row++, 1, line, colour);
        }
        ++row;
    }
}

void rainbow(Page &page, int row, quint8 sextants, bool reversed)
{
    for (int col = 0; col < Teletext::Columns; ++col) {
        const int band = col / 5;
        page.mosaic(row, col, sextants, static_cast<Colour>(reversed ? 7 - band : band + 0));
    }
}

void composeIndex(Page &page, int edition)
{
    rainbow(page, 1, 0x3c, false);
    page.fill(2, 0, Teletext::Columns, Colour::Blue);
    page.fill(3, 0, Teletext::Columns, Colour::Blue);
    page.doubleText(2, 11, u"TELETESTO DI PROVA", Colour::Yellow, Colour::Blue);
    rainbow(page, 4, 0x0f, true);
    centred(page, 5, concat({u"Servizio dimostrativo - ", pick(RegionNames, edition)}), Colour::Cyan);

    struct Entry {
        QStringView title;
        int page;
        Section section;
    };
    // Listed under the captions and at the pages of the viewer's default favourites, so that a
    // newcomer finds on the index what the buttons open.
    constexpr Entry left[] = {
        {u"NOTIZIE", 102, Section::News},    {u"ULTIM'ORA", 103, Section::News},   {u"SPORT", 200, Section::Sport},
        {u"CALCIO", 220, Section::Football}, {u"REGIONI", 300, Section::Regional}, {u"METEO", 400, Section::Weather},
    };
    constexpr Entry right[] = {
        {u"TV", 500, Section::Television},   {u"TV OGGI SERA", 505, Section::Television},
        {u"RADIO", 540, Section::Radio},     {u"ECONOMIA", 600, Section::Economy},
        {u"CULTURA", 700, Section::Culture}, {u"SERVIZI", 800, Section::Services},
    };
    for (int i = 0; i < 6; ++i) {
        const int row = 7 + 2 * i;
        page.mosaic(row, 0, Teletext::FullBlock, listColour(left[i].section));
        page.text(row, 2, listing(left[i].title, left[i].page, 17), listColour(left[i].section));
        page.mosaic(row, 20, Teletext::FullBlock, listColour(right[i].section));
        page.text(row, 22, listing(right[i].title, right[i].page, 17), listColour(right[i].section));
    }
    centred(page, 20, u"Tutte le pagine sono di prova.", Colour::White);
    centred(page, 21, u"Pagine da 100 a 899, alcune mancano.", Colour::Green);
}

QStringList sectionBlurb(int edition, Section section)
{
    if (section == Section::Regional) {
        return {concat({u"Edizione regionale di prova: ", pick(RegionNames, edition), u"."}),
                concat({u"Redazione inventata di ", pick(Capitals, edition), u"."}), pick(Sentences, 6).toString(),
                pick(Sentences, 1).toString()};
    }
    return {pick(Sentences, 0).toString(), pick(Sentences, 8).toString(), pick(Sentences, 12).toString()};
}

bool listedUnder(Section index, Section section)
{
    if (index == Section::Sport) {
        return section == Section::Sport || section == Section::Football;
    }
    if (index == Section::Television) {
        return section == Section::Television || section == Section::Radio;
    }
    return index == section;
}

void composeSectionIndex(Page &page, int edition, const PageEntry &entry, int subpage)
{
    if (subpage > 1) {
        headline(page, u"Informazioni sulla sezione");
        paragraphs(page, BodyTop, sectionBlurb(edition, entry.section), Colour::White);
        return;
    }
    headline(page, u"Le pagine della sezione");
    int slot = 0;
    for (const PageEntry &other : pageTable(edition)) {
        if (other.page == entry.page || !listedUnder(entry.section, other.section) || slot >= 26) {
            continue;
        }
        const int row = BodyTop + slot % 13;
        const int col = slot < 13 ? 1 : 21;
        page.text(row, col, listing(pageTitle(edition, other), other.page, 18),
                  slot % 2 ? Colour::White : listColour(other.section));
        ++slot;
    }
}

void composeEditions(Page &page, int subpage, int subpages)
{
    headline(page, u"Le edizioni regionali");
    page.text(BodyTop, 1, u"Si scelgono dall'elenco delle edizioni.", Colour::Cyan);
    const int regions = static_cast<int>(std::size(RegionNames)) - 1;
    const int perPage = (regions + subpages - 1) / subpages;
    int row = BodyTop + 2;
    for (int region = 1 + (subpage - 1) * perPage; region <= std::min(regions, subpage * perPage); ++region) {
        const QString name = pick(RegionNames, region).toString();
        page.text(row, 1, name.leftJustified(24, u'.'), Colour::White);
        page.text(row, 25, pick(Capitals, region), Colour::Yellow);
        row += 1;
    }
}

QStringView headlineFor(Section section, Dice &dice)
{
    switch (section) {
    case Section::Sport:
        return pick(SportHeadlines, dice.below(100));
    case Section::Football:
        return pick(FootballHeadlines, dice.below(100));
    case Section::Regional:
        return pick(RegionalHeadlines, dice.below(100));
    case Section::Economy:
        return pick(EconomyHeadlines, dice.below(100));
    case Section::Culture:
        return pick(CultureHeadlines, dice.below(100));
    case Section::Services:
        return pick(ServicesHeadlines, dice.below(100));
    default:
        return pick(NewsHeadlines, dice.below(100));
    }
}

void composeArticle(Page &page, int edition, const PageEntry &entry, int subpage, Dice &dice)
{
    headline(page, headlineFor(entry.section, dice));

    QStringList texts;
    QString lead = pageTitle(edition, entry).toLower();
    lead[0] = lead[0].toUpper();
    if (entry.section == Section::Regional) {
        texts.append(concat({lead, u": notizie di prova dalla redazione di ", pick(Capitals, edition), u" (",
                             pick(RegionNames, edition), u")."}));
    } else {
        texts.append(concat({lead, u": le notizie di questa pagina sono inventate."}));
    }
    // Paragraphs of two sentences, drawn without repeats; as many as fit are shown.
    std::vector<int> order(std::size(Sentences));
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    for (std::size_t i = order.size() - 1; i > 0; --i) {
        std::swap(order[i], order[static_cast<std::size_t>(dice.below(static_cast<int>(i) + 1))]);
    }
    for (std::size_t paragraph = 0; paragraph < 3; ++paragraph) {
        texts.append(concat({pick(Sentences, order[2 * paragraph]), u" ", pick(Sentences, order[2 * paragraph + 1])}));
    }
    paragraphs(page, BodyTop, texts, Colour::White, BodyBottom - 1);
    if (subpage < entry.subpages) {
        page.text(BodyBottom, 29, u"continua >", Colour::Cyan);
    }
}

void composeResults(Page &page, int subpage, Dice &dice)
{
    headline(page, concat({u"Giornata ", QString::number(subpage)}));
    // The circle method: team 0 stays, the others turn by one place each round.
    constexpr int teams = static_cast<int>(std::size(Teams));
    int order[teams];
    order[0] = 0;
    for (int i = 1; i < teams; ++i) {
        order[i] = 1 + (i - 1 + subpage - 1) % (teams - 1);
    }
    for (int match = 0; match < teams / 2; ++match) {
        const int row = BodyTop + match;
        const QString home = pick(Teams, order[match]).toString();
        const QString away = pick(Teams, order[teams - 1 - match]).toString();
        page.text(row, 1, home.leftJustified(11), Colour::White);
        page.text(row, 12, u"-", Colour::White);
        page.text(row, 14, away.leftJustified(11), Colour::White);
        page.text(row, 27, QString(QString::number(dice.below(4)) + u'-' + QString::number(dice.below(3))),
                  Colour::Yellow);
    }
    page.text(BodyTop + teams / 2 + 1, 1, u"Campionato di prova: risultati finti.", Colour::Cyan);
}

void composeStandings(Page &page, int subpage, Dice &dice)
{
    headline(page, concat({u"Serie demo ", QString(QChar(u'A' + subpage - 1))}));
    struct Row {
        QStringView team;
        int won, drawn, lost, points;
    };
    std::vector<Row> rows;
    for (const QStringView team : Teams) {
        const int won = dice.below(14);
        const int drawn = dice.below(21 - won);
        const int lost = 20 - won - drawn;
        rows.push_back({team, won, drawn, lost, 3 * won + drawn});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.points > b.points; });
    page.text(BodyTop - 1, 1, u"   SQUADRA      G   V   N   P  PUNTI", Colour::Cyan);
    for (int i = 0; i < BodyBottom - BodyTop + 1; ++i) {
        const Row &r = rows[static_cast<std::size_t>(i)];
        const QString line =
            concat({QString::number(i + 1).rightJustified(2), u" ", r.team.toString().leftJustified(11), u"  20",
                    QString::number(r.won).rightJustified(4), QString::number(r.drawn).rightJustified(4),
                    QString::number(r.lost).rightJustified(4), QString::number(r.points).rightJustified(7)});
        page.text(BodyTop + i, 1, line, i < 4 ? Colour::Green : Colour::White);
    }
}

void composeWeather(Page &page, int edition, const PageEntry &entry, int subpage, Dice &dice)
{
    QList<QStringView> places;
    if (entry.section == Section::Regional) {
        headline(page, concat({pick(RegionalWeather, entry.page - 320), u": ", pick(Capitals, edition)}));
        places.append(pick(Capitals, edition));
        for (const QStringView zone : RegionalZones) {
            places.append(zone);
        }
    } else if (entry.page == 401) {
        headline(page, u"Italia");
        for (int i = 0; i < 6; ++i) {
            places.append(pick(Capitals, 1 + ((subpage - 1) * 6 + i) % 21));
        }
    } else if (entry.page == 402) {
        headline(page, u"Europa");
        for (int i = 0; i < 6; ++i) {
            places.append(pick(EuropeanCities, (subpage - 1) * 6 + i));
        }
    } else {
        headline(page, pageTitle(edition, entry));
        for (int i = 0; i < 8; ++i) {
            places.append(pick(Capitals, 1 + (entry.page * 3 + i) % 21));
        }
    }
    page.text(BodyTop - 1, 2, u"LOCALITA'", Colour::Cyan);
    page.text(BodyTop - 1, 20, u"CIELO", Colour::Cyan);
    page.text(BodyTop - 1, 32, u"MIN MAX", Colour::Cyan);
    int row = BodyTop;
    for (const QStringView place : places) {
        const int sky = dice.below(static_cast<int>(std::size(Skies)));
        const int low = dice.below(14) - 2;
        const int high = low + 3 + dice.below(10);
        page.mosaic(row, 0, Teletext::FullBlock, pick(SkyColours, sky));
        page.text(row, 2, place.left(17), Colour::White);
        page.text(row, 20, pick(Skies, sky), pick(SkyColours, sky));
        page.text(row, 32, QString::number(low).rightJustified(3), Colour::Cyan);
        page.text(row, 36, QString::number(high).rightJustified(3), Colour::Yellow);
        row += places.size() > 6 ? 1 : 2;
    }
    page.text(BodyBottom, 1, u"Temperature in \u00b0C, tutte inventate.", Colour::Green);
}

void composeSchedule(Page &page, const PageEntry &entry, int subpage, Dice &dice)
{
    const bool television = entry.section == Section::Television;
    headline(page, television ? concat({u"Canale demo ", QString::number(entry.page - 500)})
                              : concat({u"Radio demo ", QString::number(entry.page - 540)}));
    constexpr QStringView parts[] = {u"MATTINA", u"POMERIGGIO", u"SERA"};
    page.text(BodyTop - 1, 1, television ? pick(parts, subpage - 1) : u"OGGI", Colour::Cyan);
    int minutes = television ? 6 * 60 + (subpage - 1) * 6 * 60 : 6 * 60;
    for (int row = BodyTop; row <= BodyBottom && minutes < 24 * 60; ++row) {
        page.text(row, 1, QString(twoDigits(minutes / 60) + u':' + twoDigits(minutes % 60)), Colour::Yellow);
        page.text(row, 8, pick(Programmes, dice.below(100)), Colour::White);
        minutes += 25 + 5 * dice.below(14);
    }
}

void composeMarket(Page &page, int edition, const PageEntry &entry, int subpage, Dice &dice)
{
    const bool currencies = entry.page == 602;
    headline(page, pageTitle(edition, entry));
    page.text(BodyTop - 1, 1,
              currencies ? u"VALUTA              PER 1 EURO   VAR.%" : u"TITOLO              PREZZO       VAR.%",
              Colour::Cyan);
    for (int i = 0; i < BodyBottom - BodyTop; ++i) {
        QString name;
        if (currencies) {
            name = pick(Currencies, (subpage - 1) * 3 + i).toString();
        } else {
            const int n = entry.page * 7 + (subpage - 1) * 13 + i;
            name = concat({pick(StockNames, n), u" ", pick(StockKinds, n / 8)});
        }
        const int price = 50 + dice.below(500000);
        const int change = dice.below(801) - 400;
        page.text(BodyTop + i, 1, name.left(19), Colour::White);
        page.text(BodyTop + i, 20, decimal(price).rightJustified(10), Colour::Yellow);
        page.text(BodyTop + i, 32, decimal(change, true).rightJustified(6), change < 0 ? Colour::Red : Colour::Green);
    }
    page.text(BodyBottom, 1, u"Quotazioni di prova, non reali.", Colour::Magenta);
}

void composeInfo(Page &page, int edition)
{
    headline(page, u"Il servizio dimostrativo");
    paragraphs(page, BodyTop,
               {concat({u"Edizione: ", pick(RegionNames, edition), u"."}),
                QStringLiteral("Questo servizio esiste per provare Pagiscopo senza la rete: ogni pagina \u00e8 "
                               "un'immagine PNG disegnata al momento."),
                QStringLiteral("Pagine da 100 a 899; alcune mancano apposta, singole o a gruppi. Alcune "
                               "pagine hanno da 2 a 6 sottopagine."),
                QStringLiteral("La pagina 899 mostra i colori, la grafica a blocchi e i caratteri.")},
               Colour::White);
}

void composeTestCard(Page &page)
{
    headline(page, u"Colori e caratteri", Colour::White);
    for (int row = 8; row <= 11; ++row) {
        for (int col = 0; col < Teletext::Columns; ++col) {
            page.mosaic(row, col, Teletext::FullBlock, static_cast<Colour>(col / 5));
        }
    }
    for (int pattern = 0; pattern < 64; ++pattern) {
        page.mosaic(13 + pattern / 32, 4 + pattern % 32, static_cast<quint8>(pattern),
                    static_cast<Colour>(1 + pattern % 7));
    }
    QString all;
    for (char16_t ch = 0x20; ch <= 0x7e; ++ch) {
        all += QChar(ch);
    }
    all += QStringLiteral("\u00e0\u00e8\u00e9\u00ec\u00f2\u00f9\u00b0\u00a3\u20ac");
    for (int line = 0; line * TextWidth < all.size(); ++line) {
        page.text(16 + line, 1, QStringView(all).mid(line * TextWidth, TextWidth), Colour::White);
    }
}

} // namespace

QString pageTitle(int edition, const PageEntry &entry)
{
    const int page = entry.page;
    switch (entry.layout) {
    case Layout::Index:
        return QStringLiteral("INDICE");
    case Layout::SectionIndex:
        return (entry.section == Section::Regional ? pick(RegionNames, edition).toString().toUpper()
                                                   : styleOf(entry.section).title.toString());
    case Layout::Editions:
        return QStringLiteral("EDIZIONI REGIONALI");
    case Layout::Results:
        return QStringLiteral("RISULTATI");
    case Layout::Standings:
        return QStringLiteral("CLASSIFICA");
    case Layout::Info:
        return QStringLiteral("IL SERVIZIO");
    case Layout::TestCard:
        return QStringLiteral("PAGINA DI PROVA");
    case Layout::Schedule:
        return entry.section == Section::Television ? QStringLiteral("CANALE DEMO ") + QString::number(page - 500)
                                                    : QStringLiteral("RADIO DEMO ") + QString::number(page - 540);
    case Layout::Market:
        return page == 601   ? QStringLiteral("BORSA")
               : page == 602 ? QStringLiteral("CAMBI")
                             : pick(MarketTopics, page - 603).toString();
    case Layout::Weather:
        if (entry.section == Section::Regional) {
            return pick(RegionalWeather, page - 320).toString();
        }
        return page == 401   ? QStringLiteral("ITALIA")
               : page == 402 ? QStringLiteral("EUROPA")
                             : pick(WeatherAreas, page - 403).toString();
    case Layout::Article:
        break;
    }
    switch (entry.section) {
    case Section::News:
        return page == 102   ? QStringLiteral("ULTIME NOTIZIE")
               : page == 103 ? QStringLiteral("ULTIM'ORA")
                             : pick(NewsTopics, page - 104).toString();
    case Section::Sport:
        return pick(SportTopics, page - 201).toString();
    case Section::Football:
        return pick(FootballTopics, page - 223).toString();
    case Section::Regional:
        return page == 330   ? QStringLiteral("VIABILITA'")
               : page == 340 ? QStringLiteral("APPUNTAMENTI")
                             : pick(RegionalTopics, page - 301).toString();
    case Section::Economy:
        return pick(EconomyTopics, page - 610).toString();
    case Section::Culture:
        return page >= 750 ? pick(GamesTopics, page - 750).toString() : pick(CultureTopics, page - 701).toString();
    case Section::Services:
        return page >= 863 ? pick(MoreServicesTopics, page - 863).toString()
                           : pick(ServicesTopics, page - 801).toString();
    default:
        return styleOf(entry.section).title.toString();
    }
}

void composePage(Page &page, int edition, const PageEntry &entry, int subpage, const QDateTime &clock)
{
    // National pages read the same in every edition; only the regional ones are the edition's own.
    const bool regional = entry.section == Section::Regional;
    Dice dice(seedFor({regional ? edition : -1, entry.page, subpage}));

    header(page, edition, entry.page, clock);
    if (entry.layout != Layout::Index) {
        const QString title = entry.section == Section::Regional
                                  ? (edition == 0 ? QStringLiteral("EDIZIONI REGIONALI")
                                                  : pick(RegionNames, edition).toString().toUpper())
                                  : styleOf(entry.section).title.toString();
        banner(page, title, entry.section, subpage, entry.subpages);
    }

    switch (entry.layout) {
    case Layout::Index:
        composeIndex(page, edition);
        break;
    case Layout::SectionIndex:
        composeSectionIndex(page, edition, entry, subpage);
        break;
    case Layout::Editions:
        composeEditions(page, subpage, entry.subpages);
        break;
    case Layout::Article:
        composeArticle(page, edition, entry, subpage, dice);
        break;
    case Layout::Results:
        composeResults(page, subpage, dice);
        break;
    case Layout::Standings:
        composeStandings(page, subpage, dice);
        break;
    case Layout::Weather:
        composeWeather(page, edition, entry, subpage, dice);
        break;
    case Layout::Schedule:
        composeSchedule(page, entry, subpage, dice);
        break;
    case Layout::Market:
        composeMarket(page, edition, entry, subpage, dice);
        break;
    case Layout::Info:
        composeInfo(page, edition);
        break;
    case Layout::TestCard:
        composeTestCard(page);
        break;
    }
    footer(page);
}

} // namespace Catalogue::detail
