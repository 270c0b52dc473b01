// Whether a stack word is a return address: the bytes right before it must
// hold a call that ends exactly at it, a direct call (E8 rel32) or an
// indirect one (FF /2, two to seven bytes long). Function pointers, vtables
// and stale data that point into code fail this. Portable, decoded with
// Zydis, no heap.
#pragma once
#include <cstdint>

constexpr int kLongestCall = 7;

// before holds the count bytes that end right before the address (at most
// kLongestCall; fewer when the earlier ones are unreadable).
bool EndsWithCall(const uint8_t* before, int count);
