#pragma once

#include <QStringList>

namespace vexil {

// The choices offered for the solver parameters and the Popeye option words. The solve window
// and the options window offer the same lists, so they live here rather than in either window.
const QStringList& PopeyeMemoryChoices();
const QStringList& HashMemoryChoices();
const QStringList& ThreadChoices();
const QStringList& TimeLimitChoices();
const QStringList& PopeyeOptionChoices();

} // namespace vexil
