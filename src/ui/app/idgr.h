#pragma once

#include "app/boardview.h"
#include "model/collection.h"
#include "model/itemeditor.h"
#include "model/opencollection.h"
#include "model/transform.h"
#include "model/pictureset.h"
#include "settings/settings.h"

#include <QMainWindow>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace vexil {

class EditHistory;
class Palette;
class PieceLine;
class Prompts;
class SolutionReplay;
class TForm4;
class TForm6;

// The main window: the editor of the item shown. The open collection itself, with the item
// operations, is `OpenCollection`; the handlers here ask the user, call it and show the result.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Open hands every file name to the import, which converts a file of another format into a
    // new collection and gives its name, gives a collection's name back, or nothing (cancel).
    using FileImport = std::function<std::optional<QString>(QWidget*, const QString&)>;

    TForm1(Prompts& prompts, const Settings& settings, OpenCollection& collection,
           const QString& pictureFolder, QWidget* parent = nullptr);
    ~TForm1() override;

    void setOptionsWindow(TForm6* options) { m_options = options; }
    void setFairyDialog(TForm4* fairy) { m_fairy = fairy; }
    void setFileImport(FileImport import) { m_import = std::move(import); }

    // Operations the other windows call. They throw Abandon or Failure like every operation;
    // the handlers catch them where they start.
    void ShowItem(int number, int headerLine);
    void ConfirmSaveChanges();
    void EnterEditState();
    void UpdatePieceCount();
    int FindItemLine(int number) const;

    // Opens or creates a collection as Open does once a name is chosen; reports its failures.
    void openNamedCollection(const QString& name);

    // For the other windows, which must not see exceptions: asks "Save all changes?" when
    // the item shown has changes, then shows item `number`. False when the user cancelled
    // or the item could not be shown (reported).
    bool askAndShowItem(int number);
    // Shows item `number` without asking, for a window that asked before it opened (its
    // answer No lets the item shown drop its changes). False when it could not be shown.
    bool showChosenItem(int number);
    // The same for an item of collection file `path`, which is opened first when it is not
    // the open one.
    bool askAndShowItemOf(const QString& path, int number);
    // Asks "Save all changes?" when needed; false when the user cancelled.
    bool askToSaveChanges();
    // The fairy-piece lines show the board's fairy pieces as they are now, as before an
    // export or a print that includes them.
    void refreshFairyPieces();

    // Handlers.
    void SpeedButton2Click();  // First item
    void SpeedButton3Click();  // Previous item
    void SpeedButton4Click();  // Next item
    void SpeedButton5Click();  // Last item
    void SpeedButton6Click();  // Go to item
    void SpeedButton7Click();  // Open
    void SpeedButton8Click();  // Save
    void SpeedButton9Click();  // Cancel update
    void SpeedButton10Click(); // New item
    void SpeedButton11Click(); // Delete item
    void SpeedButton12Click(); // Change number of item
    void SpeedButton13Click(); // Options
    void SpeedButton14Click(); // Copy item to collection
    void Edit1Change();
    void Button1Click();                           // Show / Refresh the fairy pieces
    void BitBtn1Click();                           // Add a twin
    void transform(Transformation transformation); // the nine transformation buttons

    // Board editing.
    void DrawGrid1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons,
                            Qt::KeyboardModifiers modifiers, QPoint client);
    void DrawGrid1DragDrop(const PieceDrag& drag, QPoint client);
    void DrawGrid1EndDrag();
    // What a placement puts on a square: the palette's entry, a fairy piece with the fairy
    // dialog's choices, or 0 with nothing selected.
    PieceCode placementCode() const;
    // The board's keys: Space or Enter places the palette's entry at the cursor as Ctrl with
    // a click does, Delete empties the square, a letter or digit opens the typed line.
    void DrawGrid1KeyPlace(int row, int column);
    void DrawGrid1KeyEmpty(int row, int column);
    void DrawGrid1Typing(const QString& text);
    // Places the pieces of a typed line as one edit and closes the line; false, with nothing
    // placed and the reasons shown in the line, when a word names no piece.
    bool placeTypedPieces(const QString& line);

    // Undo and redo of the edits of the item shown (board and fields in one history).
    void undoEdit();
    void redoEdit();
    EditHistory& history() { return *m_history; }
    SolutionReplay& replay() { return *m_replay; }

    // State, for the other windows and for tests.
    OpenCollection& openCollection() { return m_open; }
    const Collection& collection() const { return m_open.collection(); }
    const QString& collectionFileName() const { return m_open.fileName(); }
    int currentItem() const { return m_open.currentItem(); }
    int currentItemLine() const { return m_open.currentLine(); }
    int itemCount() const { return m_open.itemCount(); }
    bool isEditing() const { return m_editor.isEditing(); }
    Board& board() { return m_board; }
    const Board& board() const { return m_board; }
    const PictureSet& pictures() const { return m_pictures; }
    const FairyPictures& fairyPictures() const { return m_fairyPictures; }

    // The item as the fields show it now, unsaved edits included; the multi-line fields give
    // their lines as they wrap at the field's width.
    Item fieldsItem() const;
    // The same with the twin and solution lines as typed, each line of the text one line.
    Item typedItem() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildWindow();
    void installShortcuts();
    void orderTabs();
    // Runs a board edit, records it for undo, redraws and enters Edit.
    void editBoard(const QString& what, const std::function<void()>& change);
    // The board's position on the clipboard as FEN or as Popeye's Forsyth, and a pasted
    // position as one board edit.
    void copyPosition(bool forsyth);
    void pastePosition();
    void placeAt(int row, int column);
    // After an undo or redo: Browse again when the item is as stored.
    void historyStepped();
    QWidget* buildItemTab();
    QWidget* buildTwinTab();
    QWidget* buildSolutionTab();
    QWidget* buildFairyTab();
    QToolButton* toolButton(const char* name, const QString& caption, const QString& hint);

    // Runs a handler's body: Abandon ends it silently, Failure with its message.
    bool guarded(const std::function<void()>& body);
    void openFile(QString name);
    void showNoCollection();
    void showCollection();
    void saveItem();
    void showNumber(int number);
    // After a change of the item set: shows `number`, or no item when it cannot be read, so
    // that a later Save never writes these fields over another item.
    void showNumberOrNone(int number);
    void showNone();
    void showItemCount();
    // The state in the status bar, with the piece count.
    void showState();
    // The fields show `fields`; no edit of the user's.
    void putFields(const ItemFields& fields);
    ItemFields fieldTexts() const;
    void fillFields(const Item& item);
    // Another program changed the file: reload it (keeping the edits on screen), write over
    // it, or cancel. Throws Abandon unless the user chose to write over it.
    void askAboutOutsideChange();
    // After a reload the item shown is no longer stored as it was: its edits go to a new
    // item, or are dropped after a second question, or stay (Cancel).
    void placeEditsOfAnItemChangedOutside();
    // The first change of an empty file: make it a new collection, or leave it and close.
    void askAboutEmptyFile();
    void offerReloadIfChanged();

    Prompts& m_prompts;
    const Settings& m_settings;
    TForm6* m_options = nullptr;
    TForm4* m_fairy = nullptr;
    FileImport m_import;

    PictureSet m_pictures;
    FairyPictures m_fairyPictures;

    OpenCollection& m_open;
    ItemEditor m_editor;
    bool m_filling = false; // the program fills the fields: no edit
    bool m_askingAboutChange = false;
    bool m_showingAgain = false; // Save shows the item it wrote: the history goes on
    Board m_board;
    // A fairy entry dropped on the board, waiting for the fairy dialog.
    struct FairyDrop {
        int row, column, base;
    };
    std::optional<FairyDrop> m_pendingFairyDrop;
    EditHistory* m_history = nullptr;
    SolutionReplay* m_replay = nullptr;

public:
    // Controls, named as in the window's layout.
    QToolButton* isNewButton = nullptr; // "Is it new?"
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton8 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    QToolButton* SpeedButton10 = nullptr;
    QToolButton* SpeedButton11 = nullptr;
    QToolButton* SpeedButton12 = nullptr;
    QToolButton* SpeedButton13 = nullptr;
    QToolButton* SpeedButton14 = nullptr;
    QToolButton* SpeedButton15 = nullptr;
    QToolButton* SpeedButton21 = nullptr;
    QToolButton* SpeedButton23 = nullptr;
    QToolButton* SpeedButton26 = nullptr;
    QToolButton* SearchButton = nullptr; // opens the search window
    QToolButton* PublishButton = nullptr;
    QList<QToolButton*> transformButtons;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPlainTextEdit* Memo3 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label10 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    BoardView* DrawGrid1 = nullptr;
    Palette* ListBox1 = nullptr;
    PieceLine* PieceLine1 = nullptr; // the typed pieces
    QLabel* ReplayBanner = nullptr;  // "After 1...Kg8 2.Rb8#" while a replay is shown
    QWidget* TwinBar = nullptr;      // the twin buttons "a)", "b)", ...
    QLabel* StatusPanel[3] = {};
};

// The lines of a multi-line field as it shows them: each wrapped line counts as a line.
QStringList VisibleLines(const QPlainTextEdit* memo);

} // namespace vexil
