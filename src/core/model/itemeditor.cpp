#include "model/itemeditor.h"

namespace vexil {

QString ItemEditor::stateText() const
{
    return m_state == State::Edit ? QStringLiteral("Edit") : QStringLiteral("Browse");
}

ItemFields ItemEditor::show(const Item& item)
{
    ItemFields fields;
    fields.author = item.author;
    fields.source = item.source;
    fields.stipulation = item.stipulation;
    fields.condition = item.condition;
    fields.twins = item.twins.join(QLatin1Char('\n'));
    fields.solution = item.solution.join(QLatin1Char('\n'));
    m_twinsEmptyLine = item.twins == QStringList{QString()};
    m_state = State::Browse;
    return fields;
}

ItemFields ItemEditor::showNone()
{
    m_twinsEmptyLine = false;
    m_state = State::Browse;
    return {};
}

ItemFields ItemEditor::showEdits(const Item& edits, bool itemShown)
{
    ItemFields fields = show(edits);
    changed(itemShown);
    return fields;
}

void ItemEditor::changed(bool itemShown)
{
    if (itemShown)
        m_state = State::Edit;
}

void ItemEditor::twinsChanged(bool empty)
{
    if (!empty)
        m_twinsEmptyLine = false;
}

Item ItemEditor::item(const Board& board, const ItemFields& fields, const QStringList& twinLines,
                      const QStringList& solutionLines) const
{
    Item item;
    item.board = board;
    item.author = fields.author;
    item.source = fields.source;
    item.stipulation = fields.stipulation;
    item.condition = fields.condition;
    item.twins = twinLines;
    if (item.twins.isEmpty() && m_twinsEmptyLine)
        item.twins << QString();
    item.solution = solutionLines;
    return item;
}

} // namespace vexil
