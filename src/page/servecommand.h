#pragma once

class QCommandLineParser;

namespace Zuvi::Page {

/// zuvi --serve-page [--port N] [--bind ADDRESS]: serves the stored tournament's players'
/// page without a window until the process is stopped (SIGINT or SIGTERM), reading the
/// tournament again every two seconds (on a shared server, as it changes). Exit status 0
/// when stopped, 1 when the page cannot be served, 2 for a port or address it cannot use.
int serveFromCommandLine(const QCommandLineParser &parser);

} // namespace Zuvi::Page
