#include "core/output_check.hpp"

#include <algorithm>

#include "core/platform.hpp"
#include "core/positioned_file.hpp"
#include "core/replacing_file.hpp"
#include "core/run_error.hpp"

namespace brackwyn {
namespace {

// The folder is resolved through its links, the name itself is not: a link at
// an output's name is that output, not its target.
std::filesystem::path NormalisedPath(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
  if (error)
    absolute = path.lexically_normal();
  std::filesystem::path name = absolute.filename();
  if (name.empty() || name == "." || name == "..")
    return absolute;
  std::filesystem::path folder = std::filesystem::weakly_canonical(absolute.parent_path(), error);
  return error ? absolute : folder / name;
}

struct Identified {
  platform::FileIdentity identity;
  std::string key;
};

}  // namespace

void OutputCheck::add(std::string role, const std::filesystem::path& path, Kind kind) {
  auto same = [&](const File& file) { return file.role == role && file.path == path; };
  if (std::none_of(files_.begin(), files_.end(), same))
    files_.push_back({std::move(role), path, kind});
}

void OutputCheck::AddInput(std::string role, const std::filesystem::path& path) {
  add(std::move(role), path, Kind::Input);
}

void OutputCheck::AddReplacedOutput(std::string role, const std::filesystem::path& path) {
  add("temporary file of the " + role, TemporaryBeside(path), Kind::Temporary);
  add(std::move(role), path, Kind::Output);
}

void OutputCheck::AddOutput(std::string role, const std::filesystem::path& path) {
  add(std::move(role), path, Kind::Output);
}

void OutputCheck::AddAll(const OutputCheck& other) {
  for (const File& file : other.files_)
    add(file.role, file.path, file.kind);
}

void OutputCheck::Check() const {
  std::vector<Identified> identified(files_.size());
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const File& file = files_[i];
    Identified& id = identified[i];
    if (std::error_code error =
            platform::IdentifyFile(file.path, file.kind == Kind::Input, id.identity)) {
      throw RunError("Cannot look at " + NameFile(file.role, file.path) + ": " + error.message() +
                     ".");
    }
    id.key = platform::PathComparisonKey(NormalisedPath(file.path));
    // A temporary name is cleared whatever it holds; an output is replaced
    // only where that leaves nothing but a file behind.
    if (file.kind == Kind::Output && id.identity.kind == platform::FileIdentity::Kind::Other) {
      throw RunError("Cannot write " + NameFile(file.role, file.path.lexically_normal()) +
                     ": something other than a file has that name (a folder, a pipe or a "
                     "device). Give it the name of a file.");
    }
  }
  auto same = [&](std::size_t i, std::size_t j) {
    const platform::FileIdentity& a = identified[i].identity;
    const platform::FileIdentity& b = identified[j].identity;
    bool bothExist = a.kind != platform::FileIdentity::Kind::Missing &&
                     b.kind != platform::FileIdentity::Kind::Missing;
    return (bothExist && a.device == b.device && a.file == b.file) ||
           identified[i].key == identified[j].key;
  };
  // Named files first: when a plugin is named like the report, their
  // temporary names clash too, but the modder typed the names.
  for (bool temporaries : {false, true}) {
    for (std::size_t i = 0; i < files_.size(); ++i) {
      if (files_[i].kind == Kind::Input)
        continue;
      for (std::size_t j = 0; j < files_.size(); ++j) {
        if (j == i || (files_[j].kind != Kind::Input && j > i))
          continue;  // each pair of outputs once
        bool temporary = files_[i].kind == Kind::Temporary || files_[j].kind == Kind::Temporary;
        if (temporary != temporaries || !same(i, j))
          continue;
        const File& other = files_[j];
        throw RunError("Cannot write " +
                       NameFile(files_[i].role, files_[i].path.lexically_normal()) + ": it is " +
                       NameFile(other.role, other.path.lexically_normal()) +
                       (other.kind == Kind::Input ? ", which writing it would destroy."
                                                  : ", which is written too.") +
                       " Give the two files different names.");
      }
    }
  }
}

}  // namespace brackwyn
