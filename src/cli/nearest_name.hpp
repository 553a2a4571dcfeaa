// "Did you mean ...?" for mistyped option and setting names.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace brackwyn::cli {

// Edits (insertions, deletions, substitutions) that turn one word into the
// other, ignoring case: a name typed in the wrong case is one step away from
// nothing, so it is always the best suggestion.
std::size_t EditDistance(std::string_view a, std::string_view b);

struct NearestName {
  std::string_view name;  // empty when there were no candidates
  std::size_t distance = 0;
};

// The candidate closest to `word`; the first one on ties.
NearestName FindNearestName(std::string_view word, std::span<const std::string_view> candidates);

}  // namespace brackwyn::cli
