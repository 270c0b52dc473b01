// Prints tests/frame/pinned_spans.inc from the option table: every distinct
// span the rows name, sorted. scripts/refresh-pinned.sh runs it; the frame
// tests compare the cross-built table against the file it wrote.
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "plugin/option_table.h"

int main() {
  std::vector<std::pair<uint32_t, uint32_t>> spans;
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    for (const HookSite& span : row->sites) spans.emplace_back(span.site, span.resume);
  }
  std::sort(spans.begin(), spans.end());
  spans.erase(std::unique(spans.begin(), spans.end()), spans.end());
  std::printf("// Every span the option rows name, as {site, resume} in the game build.\n");
  constexpr size_t kPerLine = 5;
  for (size_t i = 0; i < spans.size(); ++i) {
    std::printf("%s{0x%X, 0x%X},%s", i % kPerLine == 0 ? "    " : " ", spans[i].first, spans[i].second,
                i % kPerLine == kPerLine - 1 || i + 1 == spans.size() ? "\n" : "");
  }
}
