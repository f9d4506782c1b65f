// The commands on the item set: new, delete, renumber, and copy to another collection.

#include "app/exporting.h"
#include "app/guard.h"
#include "app/idgr.h"
#include "app/prompts.h"
#include "model/failure.h"

#include <QLineEdit>
#include <QTabWidget>

namespace vexil {

void TForm1::SpeedButton10Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        const QString author = Edit1->text();
        const int number = m_open.appendEmptyItem();
        showItemCount();
        showNumberOrNone(number);
        PageControl1->setCurrentIndex(0);
        Edit1->setText(author);
        Edit1->setFocus();
        Edit1->selectAll();
    });
}

void TForm1::SpeedButton11Click()
{
    guarded([this] {
        if (itemCount() <= 1) {
            m_prompts.message(this, QStringLiteral("Last item!"));
            throw Abandon();
        }
        if (currentItem() < 1)
            return; // an item that could not be read was never shown
        if (!m_prompts.confirmOkCancel(this, QStringLiteral("Delete item?")))
            return;
        const int next = m_open.removeCurrentItem();
        showItemCount();
        showNumberOrNone(next);
    });
}

void TForm1::SpeedButton12Click()
{
    guarded([this] {
        if (itemCount() < 2 || currentItem() < 1)
            return;
        ConfirmSaveChanges();
        const std::optional<QString> answer = m_prompts.inputText(
            this, QStringLiteral("Change number of item"),
            QStringLiteral("Enter new number (from 1 to %1)").arg(itemCount()), QString());
        if (!answer || answer->isEmpty())
            return;
        const int target = ToInteger(*answer);
        if (target < 1 || target > itemCount() || target == currentItem())
            return;
        m_open.moveCurrentItem(target);
        showNumberOrNone(target);
    });
}

void TForm1::SpeedButton14Click()
{
    guarded([this] {
        if (currentItem() < 1)
            return;
        if (m_editor.isEditing()) {
            const QString question =
                QStringLiteral("Data of this item are changed.\r\n"
                               "Copy saved-original item?\r\n"
                               "If YES, saved-original item will be added to selected "
                               "collection, and current changed one remains in \"Edit\" state\r\n"
                               "If NO, \"Save\" dialog will be executed.");
            switch (m_prompts.confirmYesNoCancel(this, question)) {
            case Prompts::Answer::Yes:
                break;
            case Prompts::Answer::No:
                ConfirmSaveChanges();
                break;
            case Prompts::Answer::Cancel:
                throw Abandon();
            }
        }
        const QString name = m_prompts.copyTargetFileName(this);
        if (name.isEmpty())
            return;
        const int number = currentItem();
        if (ExportItems(m_prompts, this, m_open, name, {number}))
            return;
        if (m_open.isOpenFile(name)) {
            m_open.appendCopy(number);
            showItemCount();
        } else {
            m_open.appendItemsToFile(name, {number});
        }
    });
}

} // namespace vexil
