// Facts about the running process.
#pragma once

namespace platform {

// True when the process runs with the superuser's rights (effective user 0).
bool runningAsSuperuser();

}  // namespace platform
