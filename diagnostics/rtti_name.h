// Class names from MSVC run-time type information, read with guarded
// reads: an object's first word is its vtable, the word before the vtable
// leads to the complete object locator, and that to the type descriptor
// whose name is decorated as .?AVInner@Outer@@ (class) or .?AU…@@ (struct).
// The locator belongs to the complete object: for a pointer to a secondary
// base (a second vtable) it names the complete class and says where in it
// the base lies.
#pragma once
#include <cstdint>

#include "core/text_builder.h"

// Appends the class name of the object at address (see
// AppendTypeDescriptorName) and sets *baseOffset to the offset of the
// pointed-to base inside the complete object, 0 for the complete object
// itself; false, with nothing appended, when its vtable lies in no loaded
// module or the chain does not lead to a decorated name.
bool AppendObjectClassName(uint32_t object, TextBuilder& out, uint32_t* baseOffset);

// Appends the name a type descriptor holds: undecorated (mod::Box<int>)
// when it decodes in full, otherwise the decorated name as it stands, and a
// name too long to copy whole is cut with a note saying so. False, with
// nothing appended, when the descriptor holds no type name.
bool AppendTypeDescriptorName(uint32_t typeDescriptor, TextBuilder& out);
