// The main window's board editing: mouse presses, drops, transformations, the board's keys
// and the typed pieces. Each edit is one step of the item's undo history.
#include "app/idgr.h"

#include "app/boardkeys.h"
#include "app/boardview.h"
#include "app/fairy.h"
#include "app/palette.h"
#include "app/prompts.h"
#include "app/replay.h"
#include "app/undo.h"
#include "interchange/position.h"
#include "model/failure.h"
#include "model/piece.h"
#include "model/typedpieces.h"
#include "solve/fen.h"

#include <QClipboard>
#include <QComboBox>
#include <QStatusBar>
#include <QGuiApplication>
#include <QLineEdit>

namespace vexil {

void TForm1::editBoard(const QString& what, const std::function<void()>& change)
{
    // While a replay is shown the board is not the item's: the first touch brings the item
    // back, and edits nothing it cannot see.
    if (m_replay->isActive()) {
        m_replay->stop();
        return;
    }
    m_replay->itemChanged();
    const Board before = m_board;
    change();
    m_history->recordBoard(before, what);
    DrawGrid1->update();
    EnterEditState();
}

void TForm1::copyPosition(bool forsyth)
{
    // What the board shows is what is copied, a replayed position or a twin included.
    const Board& shown = DrawGrid1->shownBoard();
    if (forsyth) {
        QGuiApplication::clipboard()->setText(QStringLiteral("Forsyth ") + ForsythOf(shown));
        return;
    }
    // A FEN would drop the fairy units and so give another position: those boards go as
    // Fairy-FEN, and the user is told.
    bool fairy = false;
    QGuiApplication::clipboard()->setText(
        ClipboardPosition(shown, ComboBox2->currentText(), VisibleLines(Memo2), &fairy));
    if (fairy)
        statusBar()->showMessage(
            QStringLiteral("Copied as Fairy-FEN: a FEN cannot hold the board's fairy units."),
            6000);
}

void TForm1::pastePosition()
{
    guarded([this] {
        const QString text = QGuiApplication::clipboard()->text().trimmed();
        const ParsedPosition position = ParsePositionLine(QStringView(text).left(4096));
        if (!position.ok())
            throw Failure::refusal(
                QStringLiteral("The clipboard holds no position: %1").arg(position.error));
        editBoard(QStringLiteral("paste"), [&] { m_board = position.board; });
        if (position.notation == PositionNotation::Fen) {
            const QStringList lost = FenFieldsNotHeld(QStringView(text).left(4096), m_board);
            if (!lost.isEmpty())
                m_prompts.message(this, QStringLiteral("The position was placed. A collection "
                                                       "item cannot hold its %1.")
                                            .arg(lost.join(QStringLiteral(" or its "))));
        }
    });
}

void TForm1::transform(Transformation transformation)
{
    editBoard(QStringLiteral("transformation"),
              [&] { m_board = Transformed(m_board, transformation); });
}

PieceCode TForm1::placementCode() const
{
    const int entry = ListBox1->selectedEntry();
    if (piece::isFairyBase(entry + 1))
        return m_fairy ? m_fairy->fairyCode(entry + 1) : FairyCode(entry + 1, 0, 0);
    return entry + 1;
}

void TForm1::placeAt(int row, int column)
{
    const PieceCode code = placementCode();
    editBoard(QStringLiteral("placement"), [&] { m_board.at(row, column) = code; });
}

void TForm1::DrawGrid1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons,
                                Qt::KeyboardModifiers modifiers, QPoint client)
{
    if (m_replay->isActive()) {
        m_replay->stop();
        return;
    }
    int row = 0, column = 0;
    if (!DrawGrid1->squareAt(client, row, column))
        return;
    bool place = false;
    if (button == Qt::RightButton) {
        if (m_board.at(row, column) != 0) {
            editBoard(QStringLiteral("empty square"), [&] { m_board.at(row, column) = 0; });
            return;
        }
        place = true;
    } else if (button == Qt::LeftButton && buttons == Qt::LeftButton &&
               modifiers == Qt::ControlModifier) {
        place = true;
    }
    // The left button alone starts a drag from the board; nothing else edits.
    if (place)
        placeAt(row, column);
}

void TForm1::DrawGrid1DragDrop(const PieceDrag& drag, QPoint client)
{
    int row = 0, column = 0;
    const bool onSquare = DrawGrid1->squareAt(client, row, column);
    if (onSquare && drag.source == DragSource::Palette && piece::isFairyBase(drag.entry + 1)) {
        // The dialog comes once the drag is over, outside the drag's own loop.
        m_pendingFairyDrop = {row, column, drag.entry + 1};
        return;
    }
    // Also after a drop on the piece's own square, which changes nothing.
    editBoard(QStringLiteral("drop"), [&] {
        if (!onSquare)
            return;
        if (drag.source == DragSource::Board) {
            const PieceCode code = m_board.at(drag.row, drag.column);
            m_board.at(row, column) = code;
            if (row != drag.row || column != drag.column)
                m_board.at(drag.row, drag.column) = 0;
        } else {
            m_board.at(row, column) = drag.entry + 1;
        }
    });
}

void TForm1::DrawGrid1EndDrag()
{
    if (const std::optional<FairyDrop> drop = std::exchange(m_pendingFairyDrop, std::nullopt)) {
        if (m_fairy && m_fairy->exec() == QDialog::Accepted)
            editBoard(QStringLiteral("drop"), [&] {
                m_board.at(drop->row, drop->column) = m_fairy->fairyCode(drop->base);
            });
        else
            EnterEditState(); // after Cancel too
    }
    DrawGrid1->update();
}

void TForm1::DrawGrid1KeyPlace(int row, int column)
{
    placeAt(row, column);
}

void TForm1::DrawGrid1KeyEmpty(int row, int column)
{
    if (m_board.at(row, column) != 0)
        editBoard(QStringLiteral("empty square"), [&] { m_board.at(row, column) = 0; });
}

void TForm1::DrawGrid1Typing(const QString& text)
{
    // The typed pieces go onto the item's own board, which must be the one shown.
    m_replay->stop();
    // Over the transformation buttons, below the board, as wide as the board.
    const QRect board = DrawGrid1->geometry();
    PieceLine1->setGeometry(board.left(), board.bottom() + 4, board.width(), 25);
    PieceLine1->open(text);
}

bool TForm1::placeTypedPieces(const QString& line)
{
    const TypedPieces typed = ParseTypedPieces(line);
    if (!typed.isValid()) {
        PieceLine1->showErrors(line, typed.errors);
        if (typed.pieces.isEmpty())
            return false;
        // The words that could be read are placed when the user says so; the others stay
        // named in the line.
        QStringList unread;
        for (const TypedPieceError& error : typed.errors)
            unread << line.mid(error.start, error.length);
        const QString question =
            QStringLiteral("Place the %1 pieces that could be read?\n\nNot read: %2")
                .arg(typed.pieces.size())
                .arg(unread.join(QStringLiteral(", ")));
        if (m_prompts.confirmYesNoCancel(this, question) != Prompts::Answer::Yes) {
            // Back to the line, for the user to mend the words named.
            PieceLine1->edit()->setFocus();
            return false;
        }
    }
    PieceLine1->hide();
    DrawGrid1->setFocus();
    if (!typed.pieces.isEmpty())
        editBoard(QStringLiteral("typed pieces"), [&] {
            for (const TypedPiece& piece : typed.pieces)
                m_board.at(piece.row, piece.column) = piece.code;
        });
    return true;
}

} // namespace vexil
