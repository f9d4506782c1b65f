#pragma once

#include "model/typedpieces.h"

#include <QFrame>

class QLabel;
class QLineEdit;

namespace vexil {

// The small line that pieces typed on the board go into: it opens with the first key typed on
// the board, places everything with Enter and closes with Escape. A word that names no piece
// is shown in red, with the reason below the line.
class PieceLine : public QFrame {
    Q_OBJECT
public:
    explicit PieceLine(QWidget* parent);

    // Opens the line holding `text` and gives it the keyboard.
    void open(const QString& text);
    // Marks the words that name nothing and says why.
    void showErrors(const QString& text, const QList<TypedPieceError>& errors);

    QLineEdit* edit() const { return m_edit; }
    QLabel* reason() const { return m_reason; }

signals:
    void entered(const QString& text);
    void escaped();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void clearErrors();

    QLineEdit* m_edit;
    QLabel* m_reason;
};

} // namespace vexil
