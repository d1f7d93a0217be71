// qor-status: how the driver of a base directory and its registers are doing, for a person or a
// script. See qor_status.h for the exit statuses and README.md ("Seeing the registers") for its use.

#include <chrono>
#include <iostream>
#include <thread>

#include "tools/status/qor_status.h"
#include "tools/status/status_options.h"

int main(int argc, char* argv[]) {
  std::string error;
  std::optional<tools::CStatusOptions> options = tools::ParseStatusOptions(argc, argv, error);
  if (!options) {
    std::cerr << "qor-status: " << error << "\n" << tools::kStatusUsage;
    return tools::kCannotTell;
  }
  if (options->m_Help) {
    std::cout << tools::kStatusUsage;
    return 0;
  }
  std::string base = options->m_Base ? *options->m_Base : tools::DefaultBaseDirectory();
  if (!base.empty() && base.back() != '/') base += '/';
  for (;;) {
    tools::CStatusLook look = tools::LookAtDriver(base, options->m_Json, tools::Clock::now());
    if (options->m_Watch) std::cout << "\033[H\033[J";  // from the top of a cleared screen
    std::cout << look.m_Out << std::flush;
    (options->m_Watch ? std::cout : std::cerr) << look.m_Err << std::flush;
    if (!options->m_Watch) return look.m_Exit;
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
}
