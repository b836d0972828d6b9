// In a debugging run, where a console line of a bundled script comes from:
// a local script that ends with a "//# sourceMappingURL=" comment naming a
// local map beside it gets its original file and line looked up there.
// Each script and its map are read once.
//
// GUI thread only.
#pragma once

#include <QHash>
#include <QString>

#include <optional>
#include <string>

namespace app {

class ConsoleSources {
 public:
  // " [from <original file>#<line>]" for line `lineNumber` of the script at
  // `sourceID`, or "" when no map places it.
  std::string originalOf(const QString& sourceID, int lineNumber);

 private:
  // The map of each script looked at, or nothing for one without.
  QHash<QString, std::optional<std::string>> maps_;
};

}  // namespace app
