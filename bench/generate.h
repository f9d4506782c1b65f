#pragma once

#include "model/collection.h"

namespace vexil::bench {

// A collection of `count` realistic items: varied boards with fairy pieces and markers,
// authors, sources, stipulations, conditions, twins and solutions of several lines.
Collection generateCollection(int count, quint32 seed);

} // namespace vexil::bench
