#pragma once

#include "app/boardview.h"
#include "model/collection.h"
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

class Palette;
class Prompts;
class TForm3;
class TForm4;
class TForm6;

// The main window: it owns the open collection, the item shown and its fields.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    using PbmImport = std::function<std::optional<QString>(QWidget*, const QString&)>;

    TForm1(Prompts& prompts, const Settings& settings, const QString& pictureFolder,
           QWidget* parent = nullptr);
    ~TForm1() override;

    void setListWindow(TForm3* list) { m_list = list; }
    void setOptionsWindow(TForm6* options) { m_options = options; }
    void setFairyDialog(TForm4* fairy) { m_fairy = fairy; }
    void setPbmImport(PbmImport import) { m_importPbm = std::move(import); }

    // Operations the other windows call. They throw Abandon or Failure like every operation;
    // the handlers catch them where they start.
    void ShowItem(int number, int headerLine);
    void ConfirmSaveChanges();
    void EnterEditState();
    void UpdatePieceCount();
    int FindItemLine(int number) const;

    // Opens or creates a collection as Open does once a name is chosen; reports its failures.
    void openNamedCollection(const QString& name);

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
    void Edit1Change();
    void Button1Click(); // Show / Refresh the fairy pieces
    void BitBtn1Click(); // Add a twin
    void transform(Transformation transformation); // the nine transformation buttons

    // Board editing.
    void DrawGrid1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons,
                            Qt::KeyboardModifiers modifiers, QPoint client);
    void DrawGrid1DragDrop(DragSource source, QPoint client);
    void DrawGrid1EndDrag();
    // What a placement puts on a square: the palette's entry, a fairy piece with the fairy
    // dialog's choices, or 0 with nothing selected.
    PieceCode placementCode() const;

    // State, for the other windows and for tests.
    const Collection& collection() const { return m_collection; }
    const QString& collectionFileName() const { return m_collectionFileName; }
    int currentItem() const { return m_currentNumber; }
    int currentItemLine() const { return m_currentLine; }
    int itemCount() const { return m_itemCount; }
    bool isEditing() const { return m_editing; }
    Board& board() { return m_board; }
    const Board& board() const { return m_board; }
    const PictureSet& pictures() const { return m_pictures; }
    const FairyPictures& fairyPictures() const { return m_fairyPictures; }

    // The item as the fields show it now, unsaved edits included; the multi-line fields give
    // their lines as they are wrapped on screen.
    Item fieldsItem() const;
    // The short text of the list window's entry for an item.
    QString entryText(int number) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildItemTab();
    QWidget* buildTwinTab();
    QWidget* buildSolutionTab();
    QWidget* buildFairyTab();
    QToolButton* toolButton(const char* name, const QString& caption, const QString& hint);

    // Runs a handler's body: Abandon ends it silently, Failure with its message.
    void guarded(const std::function<void()>& body);
    void openCollection(QString name);
    void closeCollection();
    void showNoCollection();
    void saveItem();
    void showNumber(int number);
    // Writes the changed collection; when the write fails, memory goes back to `before`,
    // which is what the file still holds, and the failure is passed on.
    void writeCollection(const Collection& before);
    void showItemCount();
    void emptyFields();
    void markInList();

    Prompts& m_prompts;
    const Settings& m_settings;
    TForm3* m_list = nullptr;
    TForm6* m_options = nullptr;
    TForm4* m_fairy = nullptr;
    PbmImport m_importPbm;

    PictureSet m_pictures;
    FairyPictures m_fairyPictures;

    Collection m_collection;
    QString m_collectionFileName;
    int m_currentNumber = 0;
    int m_currentLine = 0;
    int m_itemCount = 0;
    bool m_editing = false;
    Board m_board;
    // An item whose twins are a single empty line shows an empty field; keep the line.
    bool m_twinsEmptyLine = false;
    // A fairy entry dropped on the board, waiting for the fairy dialog.
    struct FairyDrop {
        int row, column, base;
    };
    std::optional<FairyDrop> m_pendingFairyDrop;

public:
    // Controls, named as in the window's layout.
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
    QLabel* StatusPanel[3] = {};
};

// The lines of a multi-line field as it shows them: each wrapped line counts as a line.
QStringList VisibleLines(const QPlainTextEdit* memo);

} // namespace vexil
