#pragma once

class QDir;

/// Renders the big screen (mid-round with the clock in its last minutes, and the final
/// standings) at 1920x1080 and 1280x720, and printed pages of the pairings by name and of the
/// match slips, into OUTDIR. Returns false when a picture could not be written.
bool renderPublishScreens(const QDir &out);
