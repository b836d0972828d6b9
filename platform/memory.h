// How the process's memory is handed out, tuned for a shell whose answers
// and documents are buffers of tens of megabytes.
#pragma once

#include <cstddef>

namespace platform {

// Keeps buffers of up to 32 MB in the heap for reuse instead of mapping each
// one afresh (which the system zeroes page by page every time), lets up to
// 128 MB of freed heap stay with the process, and frees small blocks without
// deferring their merging to one long sweep at the next large request. Call
// once at the start of main, before any thread starts. Without the GNU C
// library it does nothing.
void tuneAllocatorForLargeBuffers();

// Asks the system to back the whole 2 MB pages inside [begin, begin + bytes)
// with large pages: a fresh buffer of tens of megabytes then takes a few
// hundred page faults instead of tens of thousands. Only advice; nothing
// changes where the system gives none.
void adviseLargePages(const void* begin, std::size_t bytes);

}  // namespace platform
