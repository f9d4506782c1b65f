#pragma once

#include "model/collection.h"

#include <QString>
#include <QStringList>

namespace vexil {

// The texts of the item shown as its fields hold them.
struct ItemFields {
    QString author;
    QString source;
    QString stipulation;
    QString condition;
    QString twins;    // one twin line per text line
    QString solution; // one solution line per text line
    bool operator==(const ItemFields&) const = default;
};

// The editor of the item shown, apart from its widgets: Browse or Edit, and how the fields
// hold an item. The main window shows what it says and reports what the user does.
class ItemEditor {
public:
    enum class State { Browse, Edit };

    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit; }
    // "Browse" or "Edit", as the status bar shows it.
    QString stateText() const;

    // The fields that show `item`, which is as stored: Browse.
    ItemFields show(const Item& item);
    // No item shown: empty fields, Browse.
    ItemFields showNone();
    // The fields show `edits`, which are not stored: Edit when an item is shown.
    ItemFields showEdits(const Item& edits, bool itemShown);

    // A change by the user. Only an item shown can be edited: with none (or the header item)
    // the window stays in Browse, so that nothing is ever saved over another item.
    void changed(bool itemShown);
    // The item is as stored again (saved, reloaded, undone back): Browse.
    void stored() { m_state = State::Browse; }

    // The twins field changed; `empty` when it is now empty. An item whose twins are one
    // empty line shows an empty field and keeps that line until the field is typed in.
    void twinsChanged(bool empty);
    // Whether the "Twin" label is enabled: the item has twins, an empty line included.
    bool hasTwins(bool twinsFieldEmpty) const { return !twinsFieldEmpty || m_twinsEmptyLine; }

    // The item the fields hold: the single-line fields of `fields`, and the twin and solution
    // lines as the multi-line fields give them (wrapped lines count as lines).
    Item item(const Board& board, const ItemFields& fields, const QStringList& twinLines,
              const QStringList& solutionLines) const;

private:
    State m_state = State::Browse;
    bool m_twinsEmptyLine = false;
};

} // namespace vexil
