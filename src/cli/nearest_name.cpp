#include "cli/nearest_name.hpp"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <vector>

namespace brackwyn::cli {

std::size_t EditDistance(std::string_view a, std::string_view b) {
  auto same = [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  };
  // One row of the classic table at a time.
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

NearestName FindNearestName(std::string_view word, std::span<const std::string_view> candidates) {
  NearestName nearest;
  for (std::string_view candidate : candidates) {
    std::size_t distance = EditDistance(word, candidate);
    if (nearest.name.empty() || distance < nearest.distance)
      nearest = {candidate, distance};
  }
  return nearest;
}

}  // namespace brackwyn::cli
