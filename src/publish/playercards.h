#pragma once

#include "tournament/progresstypes.h"

#include <QImage>
#include <QList>
#include <QString>

#include <optional>

class QPagedPaintDevice;
class QPainter;
class QRectF;

namespace Zuvi::Publish {

/// One entrant's player card: the name, the personal code, and the private link to the
/// players' page that knows the player. A card is the one document that carries a code.
struct PlayerCard
{
    QString name;
    QString house;
    QString code; ///< as kept (TournamentProgress::playerCode())
    /// The page's address with "p/<code>", where the page is served on the network when the
    /// card is made; empty otherwise (the card then says so).
    QString link;
};

/// The cards of the entrants of state who have a code (all of them, or only the one named
/// by only), in registration order; the links are made from pageAddress ("http://…/").
QList<PlayerCard> playerCards(const Progress::State &state, const QString &pageAddress,
                              const QString &only = QString());

/// Ten cards to an A4 page, two across and five down (about a business card each), with
/// lines to cut along.
inline constexpr int kCardsPerPage = 10;
int cardPageCount(qsizetype cards);
/// Paints page index of the cards into page (pixels at dpi).
void paintCardPage(QPainter &painter, const QRectF &page, int dpi, const QList<PlayerCard> &cards,
                   int index);
/// Paints every page of the cards on device (a printer); false where it cannot.
bool paintCards(const QList<PlayerCard> &cards, QPagedPaintDevice &device);
/// Writes the cards as an A4 PDF at path; the reason where it cannot (the file is then left
/// as it was).
std::optional<QString> writeCardsPdf(const QList<PlayerCard> &cards, const QString &path);
/// Page index of the cards as a picture at dpi, for a look at it.
QImage renderCardPage(const QList<PlayerCard> &cards, int index, int dpi);

} // namespace Zuvi::Publish
