// The shipped Orrisbane.ini, built into the doctor: its groups give the
// order the doctor lists options in.
#pragma once

namespace doctor {
extern const char* const kShippedIni;
}
