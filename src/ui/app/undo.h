#pragma once

#include "model/pieces.h"

#include <QKeyCombination>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUndoStack>

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace vexil {

// The undo history of the item shown: every board edit and every change of an item field, in
// the order the user made them, so that undo takes back the last thing done wherever it was.
// The fields' own undo is replaced by this one: their undo and redo keys come here.
class EditHistory : public QObject {
    Q_OBJECT
public:
    // The keys that undo and redo, in every field and on the whole window.
    static QList<QKeyCombination> undoKeys();
    static QList<QKeyCombination> redoKeys();

    explicit EditHistory(Board& board, QObject* parent = nullptr);

    // Item fields whose changes join the history.
    void watch(QLineEdit* edit);
    void watch(QComboBox* combo);
    void watch(QPlainTextEdit* memo);

    // A board edit that has just been made (the board holds the result); nothing is recorded
    // when the board did not change.
    void recordBoard(const Board& before, const QString& what);

    // Another item is shown: the history starts again, and what the board and fields hold
    // now is the stored item.
    void reset();
    // The item shown was stored as the board and fields hold it now (after Save): the
    // history goes on, and undo leads back from the stored state.
    void markStored();
    // Runs `change` (the program filling the fields) without recording it.
    void quietly(const std::function<void()>& change);
    // What the window shows is not the stored item, whatever the fields hold (edits kept
    // over a reloaded file).
    void forgetStored() { m_storedKnown = false; }
    // True when board and fields hold the stored item.
    bool matchesStored() const;

    void undo();
    void redo();
    QUndoStack& stack() { return m_stack; }

signals:
    // After an undo or a redo: the board or a field has changed.
    void stepped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class FieldEdit;
    friend class BoardEdit;
    struct Field {
        QObject* object = nullptr;
        QString text;
    };
    void fieldChanged(int index, const QString& text);
    QString textOf(int index) const;
    void apply(int index, const QString& text, qsizetype cursor);
    void applyBoard(const Board& board);
    void filterKeys(QObject* object);

    Board& m_board;
    QUndoStack m_stack;
    QList<Field> m_fields;
    bool m_applying = false;
    QStringList m_storedTexts;
    Board m_storedBoard;
    bool m_storedKnown = true;
};

} // namespace vexil
