// Writing a file over in place, for FileWriter when replacing the file
// would lose what it is: its hard links, an owner we could not give back,
// a folder that takes no new file.
//
// The room the new content needs is taken before the first old byte
// changes, so a full disk, a quota or the file size limit fails the write
// with the file as it was. Nothing makes the copy itself all or nothing: a
// process killed, or a device failing, during it leaves the file part new,
// part old. Functions of open descriptors; any thread.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "platform/error.h"

namespace platform {

// Makes the open file `to` hold exactly the first `size` bytes of the open
// file `from`, and syncs it. When the room cannot be had, `to` is left as
// it was. `path` names `to` in the failure.
Status overwrite(int from, off_t size, int to, const std::string& path);

// Grows the open file `descriptor` from `oldSize` to `newSize` bytes
// (nothing when that is not larger) by writing zeros past its end and
// syncing them, so that a file system that allocates late reports a full
// disk now: the way overwrite() takes room where the file system cannot
// reserve it. On failure the file is cut back to `oldSize`.
Status growByWriting(int descriptor, off_t oldSize, off_t newSize, const std::string& path);

// Writes all `size` bytes at the descriptor's offset.
Status writeAll(int descriptor, const char* bytes, std::size_t size, const std::string& path);

}  // namespace platform
