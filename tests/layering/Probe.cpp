// Compiled only by the layering test, once per rule, with the header it names: a
// layer that may not see the header must fail to compile this.
#include PROBE_HEADER
