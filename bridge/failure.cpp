#include "bridge/failure.h"

#include <exception>
#include <new>

#include "runtime/ansi_string.h"
#include "runtime/exception.h"

namespace bridge {

std::string currentFailure() {
  try {
    throw;
  } catch (const Exception& e) {
    return e.Message().str();
  } catch (const AnsiString& thrownText) {
    return thrownText.str();
  } catch (const std::bad_alloc&) {
    return "out of memory";
  } catch (const std::exception& e) {  // CmdException and jsoncpp's errors among them
    return e.what();
  } catch (...) {
    return "unknown failure";
  }
}

}  // namespace bridge
