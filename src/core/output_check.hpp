// One check that no output of a run destroys an input or another output.
//
// A run lists the files it reads and writes, each with the role that names it
// in messages, and checks the list before it writes anything. An output is
// refused when it is the same file as an input or as another output, or when
// something other than a regular file or a symbolic link has its name (a
// folder, a pipe, a device, a socket): writing there would destroy that thing
// or never end.
//
// Inputs are identified by what their names point to, outputs by the names
// themselves: a symbolic link at an output's name is the output, and writing
// replaces the link with a regular file, leaving its target alone. Two files
// are the same when both exist and have one identity (device and inode, or
// volume and file index), or when their absolute, normalised paths are equal
// (ignoring case on Windows): so a file not made yet, such as a master that
// the run will create, still clashes with an output of the same name.
//
// Adding a file is one line: AddInput, AddReplacedOutput (a file written
// beside its target and renamed over it, see replacing_file.hpp) or
// AddOutput (a file written in place, created anew).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brackwyn {

class OutputCheck {
 public:
  // `role` names the file in messages, e.g. "plugin file (txtESP)". Adding a
  // role and path already listed does nothing.
  void AddInput(std::string role, const std::filesystem::path& path);
  // Its temporary name beside it is an output too: whatever has that name is
  // removed when writing starts.
  void AddReplacedOutput(std::string role, const std::filesystem::path& path);
  void AddOutput(std::string role, const std::filesystem::path& path);
  // Adds every file of `other`.
  void AddAll(const OutputCheck& other);

  // Throws RunError naming the output and, for a clash, the other file.
  void Check() const;

 private:
  enum class Kind { Input, Output, Temporary };
  struct File {
    std::string role;
    std::filesystem::path path;
    Kind kind;
  };
  void add(std::string role, const std::filesystem::path& path, Kind kind);

  std::vector<File> files_;
};

}  // namespace brackwyn
