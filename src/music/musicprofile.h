#pragma once

// The one browser profile of every music page, the strip's and each Form2's.

class QWebEngineProfile;

namespace thornvale {

// Made on the first call, once per process: its storage, cache and downloads lie in a private
// temporary folder (mode 0700) that goes when the program ends, never under the user's home. A
// page there can keep nothing for its next visit, and holds what it stores on disk, not in the
// program's memory. Nullptr if that folder cannot be made; then there is no music.
QWebEngineProfile *musicProfile();

} // namespace thornvale
