#include "app/undo.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QUndoCommand>

namespace vexil {
namespace {

// Where two texts differ: from `at`, `removed` characters became `inserted`.
struct TextChange {
    qsizetype at = 0;
    qsizetype removed = 0;
    QString inserted;
};

TextChange changeBetween(const QString& before, const QString& after)
{
    qsizetype prefix = 0;
    const qsizetype shorter = qMin(before.size(), after.size());
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {prefix, before.size() - prefix - suffix,
            after.mid(prefix, after.size() - prefix - suffix)};
}

bool isBlank(const QString& text)
{
    return text.size() == 1 && text[0].isSpace();
}

// Typing goes back a word at a time: one more character typed after the last, or one more
// deleted beside the last deleted, joins it, except the blank that ends a word.
bool continuesTyping(const TextChange& last, const TextChange& next)
{
    if (last.removed == 0 && next.removed == 0 && next.inserted.size() == 1 &&
        next.at == last.at + last.inserted.size())
        return !(isBlank(next.inserted) && !last.inserted.isEmpty() &&
                 !last.inserted.back().isSpace());
    if (last.inserted.isEmpty() && next.inserted.isEmpty() && next.removed == 1)
        return next.at == last.at || next.at + 1 == last.at;
    return false;
}

bool isOneOf(const QKeyEvent* key, const QList<QKeyCombination>& keys)
{
    const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    return keys.contains(pressed);
}

} // namespace

class FieldEdit : public QUndoCommand {
public:
    FieldEdit(EditHistory& history, int field, const QString& before, const QString& after)
        : m_history(history), m_field(field), m_before(before), m_after(after),
          m_last(changeBetween(before, after))
    {
        setText(QStringLiteral("typing"));
    }
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const FieldEdit*>(other);
        if (next->m_field != m_field || next->m_before != m_after)
            return false;
        if (!continuesTyping(m_last, next->m_last))
            return false;
        m_after = next->m_after;
        m_last = next->m_last;
        return true;
    }
    void undo() override
    {
        const TextChange change = changeBetween(m_after, m_before);
        m_history.apply(m_field, m_before, change.at + change.inserted.size());
    }
    void redo() override
    {
        // The first redo is the user's own change, already made.
        if (std::exchange(m_done, true) == false)
            return;
        const TextChange change = changeBetween(m_before, m_after);
        m_history.apply(m_field, m_after, change.at + change.inserted.size());
    }

private:
    EditHistory& m_history;
    int m_field;
    QString m_before, m_after;
    TextChange m_last;
    bool m_done = false;
};

class BoardEdit : public QUndoCommand {
public:
    BoardEdit(EditHistory& history, const Board& before, const Board& after, const QString& what)
        : QUndoCommand(what), m_history(history), m_before(before), m_after(after)
    {
    }
    void undo() override { m_history.applyBoard(m_before); }
    void redo() override
    {
        if (std::exchange(m_done, true) == false)
            return;
        m_history.applyBoard(m_after);
    }

private:
    EditHistory& m_history;
    Board m_before, m_after;
    bool m_done = false;
};

QList<QKeyCombination> EditHistory::undoKeys()
{
    return {QKeyCombination(Qt::ControlModifier, Qt::Key_Z)};
}

QList<QKeyCombination> EditHistory::redoKeys()
{
    return {QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z),
            QKeyCombination(Qt::ControlModifier, Qt::Key_Y)};
}

EditHistory::EditHistory(Board& board, QObject* parent) : QObject(parent), m_board(board)
{
    // Nothing is ever too old to take back while the item is shown.
    m_stack.setUndoLimit(0);
}

void EditHistory::filterKeys(QObject* object)
{
    object->installEventFilter(this);
}

void EditHistory::watch(QLineEdit* edit)
{
    const int index = int(m_fields.size());
    m_fields.append({edit, edit->text()});
    connect(edit, &QLineEdit::textChanged, this,
            [this, index](const QString& text) { fieldChanged(index, text); });
    filterKeys(edit);
}

void EditHistory::watch(QComboBox* combo)
{
    const int index = int(m_fields.size());
    m_fields.append({combo, combo->currentText()});
    connect(combo, &QComboBox::editTextChanged, this,
            [this, index](const QString& text) { fieldChanged(index, text); });
    // The drop-down takes the keys and hands them to its line.
    filterKeys(combo);
    if (combo->lineEdit())
        filterKeys(combo->lineEdit());
}

void EditHistory::watch(QPlainTextEdit* memo)
{
    const int index = int(m_fields.size());
    memo->setUndoRedoEnabled(false);
    m_fields.append({memo, memo->toPlainText()});
    connect(memo, &QPlainTextEdit::textChanged, this,
            [this, index, memo] { fieldChanged(index, memo->toPlainText()); });
    filterKeys(memo);
}

QString EditHistory::textOf(int index) const
{
    QObject* object = m_fields[index].object;
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return combo->currentText();
    return static_cast<QPlainTextEdit*>(object)->toPlainText();
}

void EditHistory::fieldChanged(int index, const QString& text)
{
    const QString before = std::exchange(m_fields[index].text, text);
    if (m_applying || before == text)
        return;
    m_stack.push(new FieldEdit(*this, index, before, text));
}

void EditHistory::apply(int index, const QString& text, qsizetype cursor)
{
    m_applying = true;
    QObject* object = m_fields[index].object;
    if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        edit->setText(text);
        edit->setCursorPosition(int(cursor));
    } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
        combo->setEditText(text);
        if (combo->lineEdit())
            combo->lineEdit()->setCursorPosition(int(cursor));
    } else {
        // Only the changed part is replaced, so that the field keeps its scroll position.
        auto* memo = static_cast<QPlainTextEdit*>(object);
        const TextChange change = changeBetween(memo->toPlainText(), text);
        QTextCursor edit(memo->document());
        edit.setPosition(int(change.at));
        edit.setPosition(int(change.at + change.removed), QTextCursor::KeepAnchor);
        edit.insertText(change.inserted);
        edit.setPosition(int(cursor));
        memo->setTextCursor(edit);
    }
    m_fields[index].text = textOf(index);
    m_applying = false;
}

void EditHistory::applyBoard(const Board& board)
{
    m_board = board;
}

void EditHistory::recordBoard(const Board& before, const QString& what)
{
    if (before == m_board)
        return;
    m_stack.push(new BoardEdit(*this, before, m_board, what));
}

void EditHistory::reset()
{
    m_stack.clear();
    markStored();
}

void EditHistory::quietly(const std::function<void()>& change)
{
    const bool applying = std::exchange(m_applying, true);
    try {
        change();
    } catch (...) {
        m_applying = applying;
        throw;
    }
    m_applying = applying;
}

void EditHistory::markStored()
{
    m_storedTexts.clear();
    for (int i = 0; i < m_fields.size(); ++i) {
        m_fields[i].text = textOf(i);
        m_storedTexts << m_fields[i].text;
    }
    m_storedBoard = m_board;
    m_storedKnown = true;
}

bool EditHistory::matchesStored() const
{
    if (!m_storedKnown || m_board != m_storedBoard)
        return false;
    for (int i = 0; i < m_fields.size(); ++i)
        if (textOf(i) != m_storedTexts.value(i))
            return false;
    return true;
}

void EditHistory::undo()
{
    if (!m_stack.canUndo())
        return;
    m_stack.undo();
    emit stepped();
}

void EditHistory::redo()
{
    if (!m_stack.canRedo())
        return;
    m_stack.redo();
    emit stepped();
}

bool EditHistory::eventFilter(QObject* watched, QEvent* event)
{
    // The window's undo and redo keys win over the field's own: unaccepted here, the key
    // goes on to the window's shortcut.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isOneOf(key, undoKeys()) || isOneOf(key, redoKeys())) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vexil
