#pragma once

#include <QString>

namespace vexil {

// Text that a collection file can hold (Windows-1252), for text that comes from elsewhere:
// letters of other scripts are written in Latin letters ("Живко" as "Živko"), and each letter
// that Windows-1252 still lacks loses its accents ("č" as "c", while "Ž", which it has, stays).
// What has no Latin spelling at all (an emoji) is left out. Text that Windows-1252 holds
// comes back unchanged.
QString TransliteratedToWindows1252(const QString& text);

} // namespace vexil
