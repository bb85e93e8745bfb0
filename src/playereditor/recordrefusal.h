#pragma once

#include "data/dberror.h"

namespace Zuvi {

/// A record operation of the player editor that the editor itself refuses: no table open,
/// no current record, a record changed or deleted elsewhere since it was read. Not a
/// failure of the database: the editor shows its description in the message box and
/// stays usable, as it does for a failure of the database while it works on a record.
class RecordRefusal final : public Failure
{
public:
    explicit RecordRefusal(QString description) : Failure(-1, std::move(description)) {}
};

} // namespace Zuvi
