#pragma once

#include "core/failure.h"

namespace Zuvi::Data {

/// A failure of a database operation: SQLite's primary result code and its description.
class DbError final : public Failure
{
public:
    using Failure::Failure;
};

} // namespace Zuvi::Data
