#include "app/idgr.h"

#include "app/boardview.h"
#include "app/exporting.h"
#include "app/fairy.h"
#include "app/guard.h"
#include "app/palette.h"
#include "app/prompts.h"
#include "app/replay.h"
#include "app/undo.h"
#include "interchange/convert.h"
#include "model/failure.h"
#include "model/fairytext.h"
#include "model/wrap.h"
#include "settings/option.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

namespace vexil {
namespace {

const QString kNoCollection = QStringLiteral("OPEN COLLECTION !!!");
const QString kSaveAllChanges = QStringLiteral("Save all changes?");

QString itemsText(int count)
{
    return QString::number(count) + QStringLiteral(" items");
}

// The item with every text a collection cannot hold written in Latin letters, when the user
// agrees to that spelling; throws Abandon when not.
Item spelledForCollection(Prompts& prompts, QWidget* parent, const Item& item)
{
    QStringList changes;
    Item spelled = CollectionItem(item, changes);
    if (changes.isEmpty())
        return item;
    const QString question =
        QStringLiteral("A collection file holds only Windows-1252 characters. Save these texts "
                       "in Latin letters?\n\n%1")
            .arg(changes.join(QLatin1Char('\n')));
    if (prompts.confirmYesNoCancel(parent, question) != Prompts::Answer::Yes)
        throw Abandon();
    return spelled;
}

} // namespace

QStringList VisibleLines(const QPlainTextEdit* memo)
{
    // The width the text has inside the field, from the field's own size rather than from a
    // layout that exists only once the field has been on screen; at its smallest, so that
    // what Save stores does not depend on how wide the window is either.
    const int field = memo->minimumWidth() > 0 ? memo->minimumWidth() : memo->width();
    const int bar = memo->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff
                        ? 0
                        : memo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                     memo->verticalScrollBar());
    const qreal width =
        field - 2 * memo->frameWidth() - bar - 2 * memo->document()->documentMargin();
    return WrapLines(memo->toPlainText(), memo->font(), width);
}

TForm1::TForm1(Prompts& prompts, const Settings& settings, OpenCollection& collection,
               const QString& pictureFolder, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_prompts(prompts), m_settings(settings), m_open(collection), m_pictures(devicePixelRatioF())
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Vexil"));
    buildWindow();
    m_board.clear();
    StatusPanel[0]->setText(kNoCollection);
    StatusPanel[1]->setText(itemsText(0));
    StatusPanel[2]->setText(m_editor.stateText());
    LoadFairyPictures(pictureFolder, m_pictures, m_fairyPictures);
    m_open.setOutsideChangeHandler([this] { askAboutOutsideChange(); });
    m_open.setEmptyFileHandler([this] { askAboutEmptyFile(); });
}

TForm1::~TForm1()
{
    m_open.setOutsideChangeHandler({});
    m_open.setEmptyFileHandler({});
}

bool TForm1::guarded(const std::function<void()>& body)
{
    return Guarded(m_prompts, this, body);
}

void TForm1::EnterEditState()
{
    m_editor.changed(m_open.currentItem() > 0);
    showState();
}

void TForm1::showState()
{
    StatusPanel[2]->setText(m_editor.stateText());
    UpdatePieceCount();
}

void TForm1::UpdatePieceCount()
{
    Label3->setText(PieceCountText(m_board));
}

void TForm1::Edit1Change()
{
    // The fields the program fills are no edit of the user's.
    if (!m_filling)
        EnterEditState();
}

int TForm1::FindItemLine(int number) const
{
    return m_open.FindItemLine(number);
}

void TForm1::ConfirmSaveChanges()
{
    if (!m_editor.isEditing())
        return;
    switch (m_prompts.confirmYesNoCancel(this, kSaveAllChanges)) {
    case Prompts::Answer::Yes:
        saveItem();
        break;
    case Prompts::Answer::No:
        break;
    case Prompts::Answer::Cancel:
        throw Abandon();
    }
}

bool TForm1::askToSaveChanges()
{
    return guarded([this] { ConfirmSaveChanges(); });
}

bool TForm1::askAndShowItem(int number)
{
    return guarded([&] {
        ConfirmSaveChanges();
        showNumber(number);
    });
}

bool TForm1::showChosenItem(int number)
{
    return guarded([&] { showNumber(number); });
}

bool TForm1::askAndShowItemOf(const QString& path, int number)
{
    return guarded([&] {
        ConfirmSaveChanges();
        if (!m_open.isOpenFile(path))
            openFile(path);
        showNumber(number);
    });
}

void TForm1::putFields(const ItemFields& fields)
{
    const QScopedValueRollback filling(m_filling, true);
    Edit1->setText(fields.author);
    ComboBox4->setEditText(fields.source);
    ComboBox1->setEditText(fields.stipulation);
    ComboBox2->setEditText(fields.condition);
    ComboBox3->setEditText(QString());
    Memo2->setPlainText(fields.twins);
    Memo1->setPlainText(fields.solution);
    Memo3->clear();
    Label10->setEnabled(m_editor.hasTwins(Memo2->document()->isEmpty()));
}

ItemFields TForm1::fieldTexts() const
{
    return {Edit1->text(),
            ComboBox4->currentText(),
            ComboBox1->currentText(),
            ComboBox2->currentText(),
            Memo2->toPlainText(),
            Memo1->toPlainText()};
}

void TForm1::ShowItem(int number, int headerLine)
{
    // The collection reads the item first: a malformed item is reported and leaves the
    // window as it was, so that a later Save cannot write one item's fields into another
    // item's lines.
    fillFields(m_open.showItem(number, headerLine));
}

void TForm1::fillFields(const Item& item)
{
    m_replay->itemChanged();
    m_board = item.board;
    DrawGrid1->update();
    Edit3->setText(QString::number(m_open.currentItem()));
    putFields(m_editor.show(item));
    showState();
    if (m_showingAgain)
        m_history->markStored();
    else
        m_history->reset();
}

void TForm1::showNone()
{
    m_open.showNone();
    m_replay->itemChanged();
    m_board.clear();
    putFields(m_editor.showNone());
    DrawGrid1->update();
    showState();
    m_history->reset();
}

Item TForm1::typedItem() const
{
    Item item = fieldsItem();
    item.twins = Memo2->toPlainText().split(QLatin1Char('\n'));
    item.solution = Memo1->toPlainText().split(QLatin1Char('\n'));
    return item;
}

Item TForm1::fieldsItem() const
{
    return m_editor.item(m_board, fieldTexts(), VisibleLines(Memo2), VisibleLines(Memo1));
}

void TForm1::saveItem()
{
    // With no item shown there is nothing to write, and the header item must stay empty.
    if (m_open.currentItem() <= 0)
        return;
    if (!m_open.currentItemIsAsShown()) {
        placeEditsOfAnItemChangedOutside();
        return;
    }
    // On failure the fields keep the user's edits and the window stays in Edit.
    m_open.writeCurrentItem(spelledForCollection(m_prompts, this, fieldsItem()));
    m_editor.stored();
    // The same item, shown as stored: its history goes on, so that undo can take back what
    // was just saved.
    const QScopedValueRollback again(m_showingAgain, true);
    m_history->quietly([this] { showNumber(m_open.currentItem()); });
}

void TForm1::SpeedButton8Click()
{
    guarded([this] { saveItem(); });
}

void TForm1::SpeedButton7Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        const QString name = m_prompts.openCollectionFileName(this);
        if (name.isEmpty())
            return;
        openFile(name);
    });
}

void TForm1::openNamedCollection(const QString& name)
{
    guarded([&] { openFile(name); });
}

void TForm1::showNoCollection()
{
    StatusPanel[0]->setText(kNoCollection);
    StatusPanel[1]->setText(itemsText(0));
    for (QToolButton* button : {SpeedButton8, SpeedButton10, SpeedButton14})
        button->setEnabled(false);
    showNone();
}

void TForm1::showCollection()
{
    StatusPanel[0]->setText(m_open.fileName());
    showItemCount();
    for (QToolButton* button : {SpeedButton8, SpeedButton10, SpeedButton14})
        button->setEnabled(true);
}

void TForm1::openFile(QString name)
{
    if (m_import) {
        const std::optional<QString> written = m_import(this, name);
        if (!written)
            return;
        name = *written;
    }
    m_board.clear();
    putFields(m_editor.showNone());
    DrawGrid1->update();
    try {
        m_open.open(name);
    } catch (const Failure&) {
        // Whatever failed, no collection is open now; say so rather than show the old one.
        showNoCollection();
        throw;
    }
    showCollection();
    showNumberOrNone(1);
}

void TForm1::showItemCount()
{
    StatusPanel[1]->setText(itemsText(m_open.itemCount()));
    // Four digits, or as many as the largest item number needs: a collection of 100,000
    // items must be able to show and go to item 100000.
    Edit3->setMaxLength(qMax(4, int(QString::number(m_open.itemCount()).size())));
    const int wanted = StatusPanel[1]->fontMetrics().horizontalAdvance(StatusPanel[1]->text()) + 8;
    StatusPanel[1]->setFixedWidth(qMax(70, wanted));
}

void TForm1::showNumber(int number)
{
    ShowItem(number, FindItemLine(number));
}

void TForm1::showNumberOrNone(int number)
{
    try {
        if (number < 1)
            throw Abandon();
        showNumber(number);
    } catch (...) {
        showNone();
        throw;
    }
}

bool TForm1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && QApplication::activeModalWidget() == nullptr)
        QMetaObject::invokeMethod(
            this, [this] { offerReloadIfChanged(); }, Qt::QueuedConnection);
    return QMainWindow::event(event);
}

void TForm1::SpeedButton2Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        if (itemCount() > 0)
            showNumber(1);
    });
}

void TForm1::SpeedButton3Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        if (currentItem() > 1)
            showNumber(currentItem() - 1);
    });
}

void TForm1::SpeedButton4Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        if (currentItem() < itemCount())
            showNumber(currentItem() + 1);
    });
}

void TForm1::SpeedButton5Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        // A collection of only the header item has no last item to show.
        if (itemCount() > 0)
            showNumber(itemCount());
    });
}

void TForm1::SpeedButton6Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        const int number = ToInteger(Edit3->text());
        if (number < 1 || number > itemCount()) {
            m_prompts.message(this, QStringLiteral("False number!"));
            throw Abandon();
        }
        showNumber(number);
    });
}

void TForm1::SpeedButton9Click()
{
    guarded([this] {
        // Never the header item: with no item shown there is nothing to cancel. An item that
        // another program took away leaves none shown.
        if (currentItem() > 0)
            showNumberOrNone(currentItem());
    });
}

void TForm1::SpeedButton13Click()
{
    // New square colours show at once.
    if (m_options && m_options->exec() == QDialog::Accepted)
        DrawGrid1->update();
}

void TForm1::Button1Click()
{
    refreshFairyPieces();
}

void TForm1::refreshFairyPieces()
{
    Memo3->setPlainText(FairyPiecesText(m_board).join(QLatin1Char('\n')));
}

void TForm1::BitBtn1Click()
{
    const QString twin = ComboBox3->currentText();
    if (twin.isEmpty())
        return;
    Memo2->appendPlainText(twin);
}

void TForm1::undoEdit()
{
    m_history->undo();
}

void TForm1::redoEdit()
{
    m_history->redo();
}

void TForm1::historyStepped()
{
    m_replay->itemChanged();
    DrawGrid1->update();
    if (m_history->matchesStored()) {
        m_editor.stored();
        showState();
    } else {
        EnterEditState();
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (askToSaveChanges())
        event->accept();
    else
        event->ignore();
}

} // namespace vexil
