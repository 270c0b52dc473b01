// Class names from MSVC run-time type information, read with guarded
// reads: an object's first word is its vtable, the word before the vtable
// leads to the complete object locator, and that to the type descriptor
// whose name is decorated as .?AVInner@Outer@@ (class) or .?AU…@@ (struct).
#pragma once
#include <cstdint>

#include "core/text_builder.h"

// Appends the class name of the object at address as Outer::Inner; false,
// with nothing appended, when its vtable lies in no loaded module or the
// chain does not lead to a decorated name.
bool AppendObjectClassName(uint32_t object, TextBuilder& out);

// Appends the undecorated name held by a type descriptor; false, with
// nothing appended, when there is none.
bool AppendTypeDescriptorName(uint32_t typeDescriptor, TextBuilder& out);
