#pragma once

#include "players/playerfile.h"
#include "players/playerimport.h"

#include <QDialog>

class QCheckBox;

namespace Zuvi::Players {

/// The preview before an import writes anything: how many players of the file are new and
/// how many already stored and skipped, the rows without a name that are skipped, the rows
/// that repeat an earlier row of the file (marked among the rows shown, and imported only
/// when the organiser ticks "Import the repeated rows too"), the columns not imported, and
/// the first new rows as they will be stored. OK accepts the import, Cancel leaves
/// everything as it is.
class ImportPreviewDialog final : public QDialog
{
    Q_OBJECT

public:
    ImportPreviewDialog(const QString &file, const PlayerTable &table, const ImportPreview &preview,
                        QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ImportPreviewDialog)

    /// The summary shown above the rows (tests read it).
    static QString summary(const QString &file, const PlayerTable &table,
                           const ImportPreview &preview);

    /// Whether the organiser chose to import the repeated rows too.
    Repeats repeats() const;

private:
    QCheckBox *m_importRepeats = nullptr;
};

} // namespace Zuvi::Players
