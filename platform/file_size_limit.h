// The size the user lets files this process writes reach (RLIMIT_FSIZE),
// kept apart from the process's own limit.
//
// Qt WebEngine keeps the frames it draws in shared memory files of several
// MiB, which a small limit refuses: the page never shows. So the WebEngine
// shell lifts its own soft limit as far as the hard one allows and holds the
// files it writes for pages to the user's limit itself: a save past it still
// fails with EFBIG, as it does where the system refuses it.
#pragma once

#include <cstddef>
#include <string>

#include "platform/error.h"

namespace platform {

// Keeps the soft limit for the files pages write and raises the soft limit to
// the hard one. Call once at start, before any thread runs.
void liftFileSizeLimit();

// EFBIG when `size` more bytes written at `descriptor`'s position would pass
// the limit kept above; success otherwise, and always when none was kept.
Status checkFileSizeLimit(int descriptor, std::size_t size, const std::string& path);

}  // namespace platform
