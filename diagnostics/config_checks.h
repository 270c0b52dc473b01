// Checks of how the game and the tools around it are configured.
#pragma once
#include <cstdint>

constexpr const char* kEnbSettingsFile = "./enblocal.ini";

// A boolean of the MEMORY section of ENB's settings: 1 for true or 1, -1 for
// false or 0, 0 for anything else. Sets *found when the key has a value.
int ReadEnbBool(const char* key, uint8_t* found);

// Warns once, through the host, when the host's heap has not been enlarged.
extern "C" void HeapSizeCheck();
