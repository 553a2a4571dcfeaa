// OpenMW's esmtool, where Debian's openmw-cs installs it: the check that
// another reader loads a written plugin.
#pragma once

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "support/test_support.hpp"

namespace brackwyn::testing {

#ifdef _WIN32
// OpenMW's esmtool is checked where Debian's openmw-cs installs it.
inline std::string FindEsmtool() {
  return {};
}
#else
inline std::string FindEsmtool() {
  if (::access("/usr/games/esmtool", X_OK) == 0)
    return "/usr/games/esmtool";
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    std::string candidate = folder + "/esmtool";
    if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}
#endif

inline std::size_t CountLines(const std::string& text, const std::string& line) {
  std::size_t count = 0;
  for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
    ++count;
  return count;
}

// OpenMW's esmtool dump of the plugin (every record, cells included): whether
// it exited with status 0, and what it printed.
struct EsmtoolDump {
  bool ok;
  std::string text;
};

inline EsmtoolDump DumpWithEsmtool(const std::string& esmtool,
                                   const std::filesystem::path& plugin) {
  auto output = plugin.parent_path() / "esmtool.txt";
  std::string command =
      "\"" + esmtool + "\" dump -C \"" + plugin.string() + "\" > \"" + output.string() + "\" 2>&1";
  int status = std::system(command.c_str());
  auto bytes = testing::ReadBytes(output);
#ifdef _WIN32
  bool ok = status == 0;
#else
  bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
  return {ok, std::string(bytes.begin(), bytes.end())};
}

}  // namespace brackwyn::testing
