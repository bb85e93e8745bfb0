#pragma once

#include "publish/snapshot.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class QFont;
class QPagedPaintDevice;
class QPainter;

namespace Zuvi::Publish {

/// The documents the room is given.
enum class DocumentKind {
    PairingsByTable,
    PairingsByName,
    MatchSlips,
    Standings,
    Games,
};

/// Every document, in the order the organiser is offered them.
QList<DocumentKind> allDocuments();

/// The document's name as the organiser chooses it ("Pairings by name").
QString documentName(DocumentKind kind);

/// Why there is nothing to put in the document, or nothing when it has content: no round
/// being played for the pairings and slips, no tournament started for the standings, no
/// game recorded for the games.
std::optional<QString> nothingToShow(DocumentKind kind, const Snapshot &snapshot);

/// The title printed on the document ("Round 3: pairings by name", "Final standings").
QString documentTitle(DocumentKind kind, const Snapshot &snapshot);

/// A column of a tabular document.
struct TableColumn
{
    QString header;
    qreal share = 1; ///< its part of the width left by the fitted columns, relative to the others
    bool alignRight = false;
    /// As wide as its heading and its widest value (numbers, results), instead of a share.
    bool fitted = false;
};

/// A document made of one table: what the pairings, the standings and the games print as.
struct TableDocument
{
    QString title;
    QString subtitle;
    /// Printed as a QR code at the top of each page where set (the players' page).
    QString pageAddress;
    QList<TableColumn> columns;
    QList<QStringList> rows;
};

/// The table of a tabular document (every kind but the match slips).
TableDocument tableDocument(DocumentKind kind, const Snapshot &snapshot);

/// The headings of the standings' columns as the printed standings carry them ("Rank",
/// "Name", "House", "Score", "Power"), for every list of standings the room is shown.
QStringList standingsHeadings();

/// The widths of the table's columns on a page width wide: each fitted column as wide as
/// its heading (in headingFont) and its widest value (in textFont) with pad on either side,
/// at most a quarter of the page; the other columns share the rest by their shares, each at
/// least as wide as its heading. Only a page too narrow for every heading shrinks them all.
QList<qreal> columnWidths(const TableDocument &table, qreal width, const QFont &textFont,
                          const QFont &headingFont, qreal pad);

/// Lays a document out on pages of one size and paints them. The layout depends on the
/// painter's device only through its resolution, so that the printed, the PDF and the
/// pictured page are the same.
class DocumentPainter final
{
public:
    DocumentPainter(DocumentKind kind, const Snapshot &snapshot);
    /// A table of its own (a league table), laid out as the tabular documents are.
    explicit DocumentPainter(const TableDocument &table);

    /// The number of pages at the given page size (in the device's pixels) and resolution.
    int pageCount(QSizeF page, int dpi) const;
    /// Paints page index (0-based) into the rectangle of the painter's coordinates.
    void paintPage(QPainter &painter, const QRectF &page, int dpi, int index) const;

private:
    struct Metrics;
    Metrics metrics(QSizeF page, int dpi) const;
    void paintTablePage(QPainter &painter, const QRectF &page, const Metrics &m, int index) const;
    void paintSlipsPage(QPainter &painter, const QRectF &page, const Metrics &m, int index) const;
    void paintSlip(QPainter &painter, const QRectF &area, const Metrics &m,
                   const PairingRow &row) const;

    /// The column widths for a page width and resolution, measured once per document.
    const QList<qreal> &widths(qreal pageWidth, const Metrics &m) const;

    DocumentKind m_kind;
    Snapshot m_snapshot;
    TableDocument m_table;
    /// The tables that get a slip: every table but the bye's, in table order.
    QList<PairingRow> m_slips;
    /// The players' page's address as a QR code (one pixel a module), null without one.
    QImage m_pageCode;
    mutable QList<qreal> m_widths;
    mutable std::pair<qreal, int> m_widthsFor{-1, 0};
};

/// Paints every page of the document onto a printer or PDF writer (new pages as needed).
/// Returns false when the device cannot be painted on.
bool paintDocument(DocumentKind kind, const Snapshot &snapshot, QPagedPaintDevice &device);

/// Writes the document as a PDF file (A4), replacing the file only once it is complete.
/// Returns the reason when the file cannot be written.
std::optional<QString> writePdf(DocumentKind kind, const Snapshot &snapshot, const QString &path);

/// Page index of the document as a picture of an A4 sheet at dpi dots per inch.
QImage renderPage(DocumentKind kind, const Snapshot &snapshot, int index, int dpi);

/// The same for a table of its own (a league table): painted, written as PDF, pictured.
bool paintDocument(const TableDocument &table, QPagedPaintDevice &device);
std::optional<QString> writePdf(const TableDocument &table, const QString &path);
QImage renderPage(const TableDocument &table, int index, int dpi);

} // namespace Zuvi::Publish
