// Writes the command reference (docs/commands.md) to the file named by its
// argument, or to standard output without one.
#include <fstream>
#include <iostream>
#include <string>

#include "tools/commandref/command_reference.h"

int main(int argc, char** argv) {
  const std::string reference = commandref::commandReference();
  if (argc < 2) {
    std::cout << reference;
    return std::cout.good() ? 0 : 1;
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << reference;
  file.close();
  if (!file) {
    std::cerr << "command_reference: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
