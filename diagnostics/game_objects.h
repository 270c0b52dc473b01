// The game's own objects near a crash: an object whose vtable lies in the
// game's image and leads to the game's code is a host form object, shown
// with its form ID, form type and, for an object reference, its base form.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/text_builder.h"

bool IsGameObject(uint32_t address);

// Appends "object of class X, form 0x0100ABCD, type 0x3D, base form
// 0x00012345": the class when its type information is readable, the base
// form for a reference; a field that cannot be read ends the line there.
void AppendGameObject(uint32_t object, TextBuilder& out);

// Appends the section "Possible relevant objects:": the game objects that
// the registers and the first 64 stack words point to, each once, with
// every place it was seen.
void AppendRelevantObjects(const CONTEXT& context, TextBuilder& out);
