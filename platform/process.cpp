#include "platform/process.h"

#include <unistd.h>

namespace platform {

bool runningAsSuperuser() { return ::geteuid() == 0; }

}  // namespace platform
