// Facts about the running process.
#pragma once

namespace platform {

// True when the process runs with the superuser's rights (effective user 0).
// Stands for checking the token's elevation (GetTokenInformation).
bool runningAsSuperuser();

}  // namespace platform
