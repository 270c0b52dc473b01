// The own-symbol table: empty by default; the DLL's second link builds this
// source again with ORRISBANE_OWN_SYMBOLS naming the generated entries.
#include "diagnostics/own_symbols.h"

extern const OwnSymbolTable kOwnSymbols = {
    1,
#ifdef ORRISBANE_OWN_SYMBOLS
#include ORRISBANE_OWN_SYMBOLS
#else
    0, {}, {}, {},
#endif
};
