// A span of host code the plugin overwrites, [site, resume): a hook jumps
// away at site and its body continues at resume; a byte patch covers just
// the bytes it writes. Portable, so the doctor can name a site's option.
// In the sites headers, the line above a hook's span names the host
// instructions its jump overwrites (bytes first where they are known).
#pragma once
#include <cstdint>

struct HookSite {
  uint32_t site;
  uint32_t resume;
};

constexpr bool Covers(const HookSite& span, uint32_t address) { return address >= span.site && address < span.resume; }

// The spans one option writes, listed by name: kSitesOf<kFirst, kSecond>.
template <const HookSite&... spans>
inline constexpr HookSite kSitesOf[] = {spans...};
