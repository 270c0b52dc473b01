# Portable sources of the option groups, built natively as well.
