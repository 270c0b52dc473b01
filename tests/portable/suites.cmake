# Native test sources, one line per area.
