#pragma once

// Freed memory back to the system. glibc keeps what a process frees for its next allocations, so
// once a browser page is gone the program would stay at that page's peak for good: a page that
// churns frames leaves a gigabyte freed but held.

namespace thornvale {

// Trims now: the memory bound's own check, which must see what the pages really hold.
void trimHeap();

// Trims a second and again a few seconds after the last call: the engine frees a page's parts on
// its own threads after the page object has gone, and a page closing and reopening its pop-up
// must not trim at every turn.
void trimHeapSoon();

} // namespace thornvale
