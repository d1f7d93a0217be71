// qor-regsvr [-u] MODULE: the counterpart of regsvr32 for the system's component modules.
#include <QCoreApplication>
#include <iostream>

#include "tools/regsvr/regsvr.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return tools::RunRegsvr(arguments, std::cout, std::cerr);
}
