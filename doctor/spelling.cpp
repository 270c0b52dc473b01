#include "doctor/spelling.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "core/option_rules.h"
#include "plugin/option_table.h"

namespace doctor {
namespace {

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::vector<std::string> KnownKeys() {
  std::vector<std::string> keys;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) keys.emplace_back(row->key);
  for (const option_rules::ValueRead& read : option_rules::ValueReads()) {
    if (std::find(keys.begin(), keys.end(), read.key) == keys.end()) keys.emplace_back(read.key);
  }
  return keys;
}

std::string NearestKnownKey(const std::string& key) {
  std::string best;
  size_t bestDistance = SIZE_MAX;
  for (const auto& known : KnownKeys()) {
    const size_t distance = EditDistance(key, known);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = known;
    }
  }
  return best;
}

}  // namespace doctor
