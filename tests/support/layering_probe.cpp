// A library reaching up into one above it (LAYERING_PROBE): must not compile.
#include LAYERING_PROBE
