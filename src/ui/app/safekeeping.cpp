// The main window's guards of what the user has, against other programs that change the
// open file: the reload, edits of an item changed or moved meanwhile, an empty file.
#include "app/idgr.h"

#include "app/prompts.h"
#include "app/undo.h"
#include "model/failure.h"

namespace vexil {
namespace {

const QString kChangedOutside =
    QStringLiteral("The collection was changed by another program. Reload it?");
const QString kChangedOrMoved = QStringLiteral(
    "Item %1 was changed or moved by the other program. Save your edits as a new item at the end?");
const QString kDropEdits =
    QStringLiteral("Your edits will be lost. Drop them and show item %1 as it is stored now?");
const QString kEmptyFile = QStringLiteral("The file %1 is empty. Make it a new collection?");

} // namespace

void TForm1::placeEditsOfAnItemChangedOutside()
{
    const int number = m_open.currentItem();
    switch (m_prompts.confirmYesNoCancel(this, kChangedOrMoved.arg(number))) {
    case Prompts::Answer::Yes: {
        const int added = m_open.appendItem(fieldsItem());
        m_editor.stored();
        showItemCount();
        showNumberOrNone(added);
        return;
    }
    case Prompts::Answer::No:
        if (!m_prompts.confirmOkCancel(this, kDropEdits.arg(number)))
            throw Abandon();
        m_editor.stored();
        showNumberOrNone(number);
        return;
    case Prompts::Answer::Cancel:
        throw Abandon();
    }
}

void TForm1::askAboutOutsideChange()
{
    switch (m_prompts.confirmYesNoCancel(this, kChangedOutside)) {
    case Prompts::Answer::No:
        return; // write over the other program's changes
    case Prompts::Answer::Cancel:
        throw Abandon();
    case Prompts::Answer::Yes:
        break;
    }
    // Edits on screen stay, still to be saved into the item they were made to; Save asks
    // where they go when the reloaded file no longer holds that item at its number.
    const Item edits = fieldsItem();
    const bool editing = m_editor.isEditing();
    m_open.reload();
    showItemCount();
    if (editing && m_open.currentItem() > 0) {
        fillFields(edits);
        m_history->forgetStored();
        EnterEditState();
    } else {
        showNumberOrNone(m_open.currentItem());
    }
    throw Abandon();
}

void TForm1::askAboutEmptyFile()
{
    switch (m_prompts.confirmYesNoCancel(this, kEmptyFile.arg(m_open.fileName()))) {
    case Prompts::Answer::Yes:
        m_open.makeNewCollection();
        showCollection();
        showNumberOrNone(1);
        break;
    case Prompts::Answer::No:
        m_open.close();
        showNoCollection();
        break;
    case Prompts::Answer::Cancel:
        break;
    }
    throw Abandon();
}

void TForm1::offerReloadIfChanged()
{
    if (m_askingAboutChange || !m_open.changedOnDisk())
        return;
    m_askingAboutChange = true;
    // "No" here means: keep this version, and write it over the other at the next change.
    if (guarded([this] { askAboutOutsideChange(); }))
        m_open.acceptOutsideChange();
    m_askingAboutChange = false;
}

} // namespace vexil
