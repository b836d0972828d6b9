// Copying, moving and removing files and whole folders.
//
// Links are never followed: a link inside a copied or moved folder comes
// across as a link, and removing one removes the link alone. An existing
// target is never replaced. Copied files go through FileWriter
// (file_writer.h), their bytes copied inside the kernel (file_copy.h), and
// keep their permission bits; a copied folder keeps its own.
//
// Plain functions; any thread, as long as no one else changes the same
// paths meanwhile.
#pragma once

#include <string>

#include "platform/error.h"

namespace platform {

// Copies the file, link or folder with everything in it at `from` to the
// new name `to`. Fails with EEXIST when something stands at `to`, EINVAL
// when `to` lies inside the folder `from`, ENOTSUP for a device, FIFO or
// socket. A copy that fails part way removes what it made.
Status copyTree(const std::string& from, const std::string& to);

// Renames `from` to `to` without replacing anything; across file systems
// copies, and removes `from` only once the copy is whole.
Status moveTree(const std::string& from, const std::string& to);

// Removes a file, a link or an empty folder; with `deep`, also a folder
// with everything in it. A folder with content and no `deep` fails with
// ENOTEMPTY.
Status removeTree(const std::string& path, bool deep);

}  // namespace platform
