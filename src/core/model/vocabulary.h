#pragma once

#include <QStringList>

namespace vexil {

// The drop-down lists of the item fields; the user may type any other text as well.
const QStringList& StipulationVocabulary(); // 12 entries
const QStringList& SourceVocabulary();      // 106 entries
const QStringList& ConditionVocabulary();   // 173 entries, in their shown order

// The 43 templates of the twin builder, in their order.
const QStringList& TwinTemplates();

} // namespace vexil
