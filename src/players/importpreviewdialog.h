#pragma once

#include "players/playerfile.h"
#include "players/playerimport.h"

#include <QDialog>

namespace Zuvi::Players {

/// The preview before an import writes anything: how many players of the file are new and
/// how many already stored and skipped, the columns not imported, and the first new rows
/// as they will be stored. OK accepts the import, Cancel leaves everything as it is.
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
};

} // namespace Zuvi::Players
