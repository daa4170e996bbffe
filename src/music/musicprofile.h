#pragma once

// The browser profile of the music pages, the strip's and each Form2's.

class QObject;
class QWebEngineProfile;

namespace thornvale {

// A new off-the-record profile: nothing of it goes on disk or under the user's home, and a page
// can keep nothing for its next visit. What a page stores (IndexedDB, Blobs, its cache) lives in
// the program's memory instead, where the memory bound (memorybound.h) holds it; ending the pages
// and deleting the profile frees it all. The profile's pages must be deleted before it.
QWebEngineProfile *makeMusicProfile(QObject *parent);

} // namespace thornvale
