#include "app/boardkeys.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextCharFormat>
#include <QVBoxLayout>

namespace vexil {
namespace {

constexpr int kLineHeight = 25;

// A line edit draws part of its text in another colour only through input method formats.
void colourRanges(QLineEdit* edit, const QList<TypedPieceError>& errors)
{
    QList<QInputMethodEvent::Attribute> formats;
    QTextCharFormat red;
    red.setForeground(Qt::red);
    red.setFontUnderline(true);
    for (const TypedPieceError& error : errors)
        formats << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat,
                                                int(error.start) - edit->cursorPosition(),
                                                int(error.length), red);
    QInputMethodEvent event(QString(), formats);
    QCoreApplication::sendEvent(edit, &event);
}

} // namespace

PieceLine::PieceLine(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PieceLine"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("PieceLineEdit"));
    m_edit->setAccessibleName(QStringLiteral("Pieces"));
    m_edit->setPlaceholderText(QStringLiteral("wKe1 bSg8 nALd4 royal wQd4"));
    m_edit->setToolTip(QStringLiteral("Pieces to place: side (w, b, n), piece, square; "
                                      "Enter places them, Escape closes"));
    m_reason = new QLabel(this);
    m_reason->setObjectName(QStringLiteral("PieceLineReason"));
    m_reason->setWordWrap(true);
    m_reason->setStyleSheet(QStringLiteral("color: red;"));
    m_reason->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    layout->addWidget(m_edit);
    layout->addWidget(m_reason);
    connect(m_edit, &QLineEdit::returnPressed, this, [this] { emit entered(m_edit->text()); });
    connect(m_edit, &QLineEdit::textEdited, this, [this] { clearErrors(); });
    hide();
}

void PieceLine::open(const QString& text)
{
    clearErrors();
    m_edit->setText(text);
    show();
    raise();
    m_edit->setFocus();
    m_edit->end(false);
}

void PieceLine::clearErrors()
{
    if (m_reason->isHidden())
        return;
    m_reason->hide();
    m_reason->clear();
    colourRanges(m_edit, {});
    resize(width(), kLineHeight);
}

void PieceLine::showErrors(const QString& text, const QList<TypedPieceError>& errors)
{
    QStringList reasons;
    for (const TypedPieceError& error : errors)
        reasons << QStringLiteral("%1: %2").arg(text.mid(error.start, error.length), error.reason);
    m_reason->setText(reasons.join(QLatin1Char('\n')));
    m_reason->show();
    colourRanges(m_edit, errors);
    resize(width(), kLineHeight + m_reason->heightForWidth(width() - 2) + 2);
}

void PieceLine::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        emit escaped();
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace vexil
