// Which known key a player meant by a misspelt one.
#pragma once
#include <string>
#include <vector>

namespace doctor {

// Every key the plugin reads in [Patch]: the option rows and the values
// that options read.
std::vector<std::string> KnownKeys();

// The known key closest to a misspelt one, ignoring letter case.
std::string NearestKnownKey(const std::string& key);

}  // namespace doctor
