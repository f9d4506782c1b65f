#include "app/replay.h"

#include "app/boardview.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

namespace vexil {

SolutionReplay::SolutionReplay(BoardView* board, QPlainTextEdit* solution, QLabel* banner,
                               QWidget* twinBar, std::function<Item()> item, QObject* parent)
    : QObject(parent), m_board(board), m_solution(solution), m_banner(banner), m_twinBar(twinBar),
      m_item(std::move(item))
{
    m_solution->viewport()->installEventFilter(this);
    m_solution->viewport()->setMouseTracking(true);
    m_banner->hide();
    auto* layout = new QHBoxLayout(m_twinBar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addStretch();
    m_twinBar->hide();
}

const Solution& SolutionReplay::solution()
{
    if (m_stale)
        reread();
    return m_read;
}

const QList<Twin>& SolutionReplay::twins()
{
    if (m_stale)
        reread();
    return m_twins;
}

void SolutionReplay::itemChanged()
{
    stop();
    m_stale = true;
    if (m_rereadPending)
        return;
    m_rereadPending = true;
    // Typing changes the text key by key: read it once the typing has paused for the loop.
    QTimer::singleShot(0, this, [this] {
        m_rereadPending = false;
        if (m_stale)
            reread();
    });
}

void SolutionReplay::reread()
{
    const Item item = m_item();
    m_twins = BuildTwins(item);
    m_read = ReadSolution(item.solution, m_twins);
    m_stale = false;

    QList<QTextEdit::ExtraSelection> links;
    const QTextDocument* document = m_solution->document();
    const QColor link = m_solution->palette().color(QPalette::Link);
    for (const SolutionLine& line : m_read.lines) {
        const QTextBlock block = document->findBlockByNumber(line.index);
        if (!block.isValid())
            continue;
        for (const SolutionMove& move : line.moves) {
            QTextEdit::ExtraSelection selection;
            selection.cursor = QTextCursor(block);
            selection.cursor.setPosition(block.position() + int(move.start));
            selection.cursor.setPosition(block.position() + int(move.start + move.text.size()),
                                         QTextCursor::KeepAnchor);
            selection.format.setFontUnderline(true);
            if (move.played()) {
                selection.format.setForeground(link);
            } else {
                selection.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
                selection.format.setUnderlineColor(Qt::red);
                selection.format.setToolTip(move.error);
            }
            links << selection;
        }
    }
    m_solution->setExtraSelections(links);

    qDeleteAll(m_twinButtons);
    m_twinButtons.clear();
    auto* layout = static_cast<QHBoxLayout*>(m_twinBar->layout());
    if (m_twins.size() > 1) {
        for (qsizetype i = 0; i < m_twins.size(); ++i) {
            const Twin& twin = m_twins[i];
            auto* button = new QToolButton(m_twinBar);
            button->setObjectName(QStringLiteral("TwinButton%1").arg(i));
            button->setText(twin.label + u')');
            button->setCheckable(true);
            button->setAutoRaise(true);
            button->setFocusPolicy(Qt::TabFocus);
            const QString what =
                twin.header.isEmpty() ? QStringLiteral("the diagram") : twin.header;
            button->setToolTip(twin.label + QStringLiteral(") ") + what);
            button->setAccessibleName(QStringLiteral("Twin %1").arg(twin.label));
            button->setAccessibleDescription(what);
            button->setFixedSize(24, 20);
            connect(button, &QToolButton::clicked, this, [this, i](bool checked) {
                if (checked)
                    showTwin(int(i));
                else
                    stop();
            });
            layout->insertWidget(int(i), button);
            m_twinButtons << button;
        }
    }
    m_twinBar->setVisible(!m_twinButtons.isEmpty());
}

const SolutionMove* SolutionReplay::moveAt(int line, qsizetype position)
{
    for (const SolutionLine& l : solution().lines) {
        if (l.index != line)
            continue;
        for (const SolutionMove& move : l.moves)
            if (position >= move.start && position < move.start + move.text.size())
                return &move;
    }
    return nullptr;
}

void SolutionReplay::showMove(int line, int move)
{
    for (const SolutionLine& l : solution().lines) {
        if (l.index != line || move < 0 || move >= l.moves.size())
            continue;
        const SolutionMove& shown = l.moves[move];
        QStringList written;
        for (int i = 0; i <= move; ++i)
            written << l.moves[i].text;
        QString banner =
            shown.played() ? QStringLiteral("After ") + written.join(u' ') : shown.error;
        const SolutionTwin& twin = m_read.twins[l.twin];
        if (m_read.twins.size() > 1 && !twin.label.isEmpty())
            banner = twin.label + QStringLiteral(") ") + banner;
        show(shown.played() ? shown.after : shown.before,
             shown.played() ? QList<Square>{shown.from, shown.to} : QList<Square>(), banner);
        m_line = line;
        m_move = move;
        return;
    }
}

void SolutionReplay::step(int direction)
{
    const QTextCursor cursor = m_solution->textCursor();
    const int line = cursor.blockNumber();
    for (const SolutionLine& l : solution().lines) {
        if (l.index != line || l.moves.isEmpty())
            continue;
        int next = direction > 0 ? 0 : int(l.moves.size()) - 1;
        if (m_active && m_line == line) {
            next = m_move + direction;
            if (next < 0) {
                stop();
                return;
            }
            if (next >= l.moves.size())
                return;
        }
        showMove(line, next);
        // The cursor follows, so that the next step finds the same line.
        QTextCursor at(cursor.block());
        at.setPosition(cursor.block().position() + int(l.moves[next].start));
        m_solution->setTextCursor(at);
        return;
    }
}

void SolutionReplay::showTwin(int index)
{
    if (index < 0 || index >= twins().size())
        return;
    const Twin& twin = m_twins[index];
    QStringList parts{twin.header, twin.stipulation};
    parts.removeAll(QString());
    QString banner = twin.label + QStringLiteral(") ") + parts.join(QLatin1String("  "));
    if (!twin.error.isEmpty())
        banner += QStringLiteral(": ") + twin.error;
    show(twin.board, {}, banner);
    for (qsizetype i = 0; i < m_twinButtons.size(); ++i)
        m_twinButtons[i]->setChecked(i == index);
}

void SolutionReplay::show(const Board& board, const QList<Square>& marked, const QString& banner)
{
    for (QToolButton* button : m_twinButtons)
        button->setChecked(false);
    m_line = m_move = -1;
    m_board->showPosition(board, marked);
    m_banner->setToolTip(banner);
    m_banner->setAccessibleName(banner);
    m_banner->setText(
        m_banner->fontMetrics().elidedText(banner, Qt::ElideRight, m_banner->width() - 8));
    m_banner->show();
    m_banner->raise();
    if (!m_active) {
        m_active = true;
        emit activeChanged(true);
    }
}

void SolutionReplay::stop()
{
    if (!m_active)
        return;
    m_active = false;
    m_line = m_move = -1;
    m_board->showPosition(std::nullopt);
    m_banner->hide();
    for (QToolButton* button : m_twinButtons)
        button->setChecked(false);
    emit activeChanged(false);
}

bool SolutionReplay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_solution->viewport())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QTextCursor under = m_solution->cursorForPosition(mouse->position().toPoint());
        const SolutionMove* move = moveAt(under.blockNumber(), under.positionInBlock());
        m_solution->viewport()->setCursor(move ? Qt::PointingHandCursor : Qt::IBeamCursor);
        // A click on a move, not the end of a selection made by dragging over the text.
        if (move && event->type() == QEvent::MouseButtonRelease &&
            mouse->button() == Qt::LeftButton && !m_solution->textCursor().hasSelection()) {
            for (const SolutionLine& l : m_read.lines)
                if (l.index == under.blockNumber())
                    showMove(l.index, int(move - l.moves.constData()));
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vexil
