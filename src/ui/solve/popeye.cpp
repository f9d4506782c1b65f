#include "solve/popeye.h"

#include "app/controls.h"
#include "app/guard.h"
#include "app/prompts.h"
#include "solve/programfolder.h"
#include "solve/solverreport.h"
#include "solve/solverrun.h"
#include "solve/solvevocabulary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace vexil {

namespace {

const QString kPopeyeInput = QStringLiteral("py.in");
const QString kPopeyeOutput = QStringLiteral("py.txt");
const QString kStockfishInput = QStringLiteral("ibench.txt");
const QString kStockfishOutput = QStringLiteral("bench.txt");
// A text edit takes about a second for every hundred thousand lines it is given at once; a
// long output goes into the pane this many lines at a time, the window answering in between.
constexpr qsizetype kPaneBatch = 4000;

QSpinBox* numberBox(const char* name, int low, int high, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    return box;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent)
{
    QPushButton* b = NamedButton(name, caption, parent);
    // The style's wide minimum would push the row past the window's width.
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QString(caption).remove('&')) + 16);
    return b;
}

// A label that names its control, for the eye and for a screen reader.
QLabel* labelFor(const QString& caption, QWidget* control, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(control);
    control->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return label;
}

Failure notStarted(const QString& path)
{
    QString reason = ProgramProblem(path);
    if (reason.isEmpty())
        reason = QStringLiteral("not found");
    return Failure::refusal(SolverNotStartedText(path, reason));
}

} // namespace

TForm2::TForm2(Prompts& prompts, const Settings& settings, std::function<Item()> shownItem,
               QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      m_prompts(prompts), m_settings(settings), m_shownItem(std::move(shownItem)),
      m_programFolder(ProgramFolder())
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Solve interface"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Solver text"));
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    TabSet = new QTabWidget(this);
    TabSet->setObjectName(QStringLiteral("TabSet"));
    TabSet->setTabPosition(QTabWidget::South);
    TabSet->addTab(buildPopeyeTab(), QStringLiteral("Popeye"));
    TabSet->addTab(buildStockfishTab(), QStringLiteral("Stockfish"));

    CopyItem = button("CopyItem", QStringLiteral("Copy &item "), this);
    auto* next = new QLabel(QStringLiteral("NEXT -->"), this);
    SolveButton = button("SolveButton", QStringLiteral("S&olve"), this);
    ViewSolution = button("ViewSolution", QStringLiteral("&View solution"), this);
    StopButton = button("StopButton", QStringLiteral("Sto&p"), this);
    CloseButton = button("CloseButton", QStringLiteral("&Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CopyItem);
    buttons->addWidget(next);
    buttons->addWidget(SolveButton);
    buttons->addWidget(ViewSolution);
    buttons->addWidget(StopButton);
    buttons->addWidget(CloseButton);

    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setAccessibleName(QStringLiteral("Run status"));
    Status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    buttons->setSpacing(4);
    layout->addWidget(Memo1, 1);
    layout->addWidget(TabSet);
    layout->addLayout(buttons);
    layout->addWidget(Status);
    resize(460, 459);
    move(183, 2);
    setSolverParameters(QStringLiteral("4M"), QStringLiteral("10"), QStringLiteral("1"),
                        QStringLiteral("32"));

    m_popeye = new SolverRun(QStringLiteral("Popeye"), this);
    m_stockfish = new SolverRun(QStringLiteral("Stockfish"), this);
    for (SolverRun* run : {m_popeye, m_stockfish}) {
        connect(run, &SolverRun::statusChanged, this, &TForm2::showStatus);
        connect(run, &SolverRun::ended, this,
                [this, run] { Quietly([&] { runEnded(run == m_popeye); }); });
        // The file is there and may be run, but the system cannot start it.
        connect(run, &SolverRun::failedToStart, this, [this, run](const QString&) {
            const QString& path = run == m_popeye ? m_settings.PopeyeExe : m_settings.SfExe;
            m_prompts.report(this, Failure::refusal(SolverNotStartedText(
                                       path, QStringLiteral("not a program"))));
        });
    }
    m_paneFiller = new QTimer(this);
    m_paneFiller->setInterval(0);
    connect(m_paneFiller, &QTimer::timeout, this, [this] { fillPane(false); });
    connect(TabSet, &QTabWidget::currentChanged, this, &TForm2::showStatus);
    connect(CopyItem, &QPushButton::clicked, this, &TForm2::CopyItemClick);
    connect(SolveButton, &QPushButton::clicked, this, &TForm2::SolveClick);
    connect(ViewSolution, &QPushButton::clicked, this, &TForm2::ViewSolutionClick);
    connect(StopButton, &QPushButton::clicked, this, &TForm2::StopClick);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::hide);
    connect(ResetAll, &QPushButton::clicked, this, &TForm2::ResetAllClick);
    showStatus();
}

TForm2::~TForm2() = default;

QWidget* TForm2::buildPopeyeTab()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 4, 6, 4);
    PopeyeMemory = ChoiceList("PopeyeMemory", PopeyeMemoryChoices(), page);
    Try = NamedCheckBox("Try", QStringLiteral("&Try"), page);
    Set = NamedCheckBox("Set", QStringLiteral("&Set"), page);
    Defence = numberBox("Defence", 1, 99, page);
    MaxSolutions = numberBox("MaxSolutions", 0, 99, page);
    NoThreat = NamedCheckBox("NoThreat", QStringLiteral("&NoThreat"), page);
    PostKeyPlay = NamedCheckBox("PostKeyPlay", QStringLiteral("Post&KeyPlay"), page);
    NoWk = NamedCheckBox("NoWk", QStringLiteral("No&Wk"), page);
    Variation = NamedCheckBox("Variation", QStringLiteral("V&ariation"), page);
    OptionList = ChoiceList("OptionList", PopeyeOptionChoices(), page);
    OptionList->setMinimumContentsLength(14);
    ResetAll = button("ResetAll", QStringLiteral("&Reset all"), page);
    // Alt+C is the window's Close.
    VerifyCollection = button("VerifyCollection", QStringLiteral("Verify co&llection\u2026"), page);
    connect(VerifyCollection, &QPushButton::clicked, this, &TForm2::verifyCollectionRequested);

    grid->addWidget(labelFor(QStringLiteral("Memory"), PopeyeMemory, page), 0, 0);
    grid->addWidget(PopeyeMemory, 0, 1);
    grid->addWidget(labelFor(QStringLiteral("Defence"), Defence, page), 0, 2);
    grid->addWidget(Defence, 0, 3);
    grid->addWidget(labelFor(QStringLiteral("MaxSolutions"), MaxSolutions, page), 0, 4);
    grid->addWidget(MaxSolutions, 0, 5);
    grid->addWidget(Try, 1, 0);
    grid->addWidget(Set, 1, 1);
    grid->addWidget(Variation, 1, 2, 1, 2);
    grid->addWidget(NoThreat, 1, 4, 1, 2);
    grid->addWidget(PostKeyPlay, 2, 0, 1, 2);
    grid->addWidget(NoWk, 2, 2, 1, 2);
    grid->addWidget(ResetAll, 2, 4, 1, 2);
    grid->addWidget(labelFor(QStringLiteral("Option"), OptionList, page), 3, 0);
    grid->addWidget(OptionList, 3, 1, 1, 5);
    grid->addWidget(VerifyCollection, 4, 3, 1, 3);
    ResetAllClick();
    return page;
}

QWidget* TForm2::buildStockfishTab()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 4, 6, 4);
    HashMemory = ChoiceList("HashMemory", HashMemoryChoices(), page);
    Threads = ChoiceList("Threads", ThreadChoices(), page);
    TimeLimit = ChoiceList("TimeLimit", TimeLimitChoices(), page);
    BlackToMove = NamedCheckBox("BlackToMove", QStringLiteral("&Black to move"), page);
    WhiteShort = NamedCheckBox("WhiteShort", QStringLiteral("&whilte 0-0"), page);
    WhiteLong = NamedCheckBox("WhiteLong", QStringLiteral("w&hite 0-0-0"), page);
    BlackShort = NamedCheckBox("BlackShort", QStringLiteral("b&lack 0-0"), page);
    BlackLong = NamedCheckBox("BlackLong", QStringLiteral("bl&ack 0-0-0"), page);
    EnPassant = new QLineEdit(page);
    EnPassant->setObjectName(QStringLiteral("EnPassant"));
    EnPassant->setMaximumWidth(60);

    grid->addWidget(labelFor(QStringLiteral("Hash memory"), HashMemory, page), 0, 0);
    grid->addWidget(HashMemory, 0, 1);
    grid->addWidget(labelFor(QStringLiteral("Threads"), Threads, page), 0, 2);
    grid->addWidget(Threads, 0, 3);
    grid->addWidget(labelFor(QStringLiteral("Time limit (min.)"), TimeLimit, page), 1, 0);
    grid->addWidget(TimeLimit, 1, 1);
    grid->addWidget(labelFor(QStringLiteral("&ep"), EnPassant, page), 1, 2);
    grid->addWidget(EnPassant, 1, 3);
    grid->addWidget(BlackToMove, 2, 0, 1, 2);
    grid->addWidget(WhiteShort, 3, 0);
    grid->addWidget(WhiteLong, 3, 1);
    grid->addWidget(BlackShort, 3, 2);
    grid->addWidget(BlackLong, 3, 3);
    return page;
}

void TForm2::setSolverParameters(const QString& popeyeMemory, const QString& timeLimit,
                                 const QString& threads, const QString& hashMemory)
{
    PopeyeMemory->setEditText(popeyeMemory);
    TimeLimit->setEditText(timeLimit);
    Threads->setEditText(threads);
    HashMemory->setEditText(hashMemory);
}

bool TForm2::popeyeActive() const
{
    return TabSet->currentIndex() == 0;
}

PopeyeOptions TForm2::popeyeOptions() const
{
    PopeyeOptions options;
    options.Try = Try->isChecked();
    options.Set = Set->isChecked();
    options.Variation = Variation->isChecked();
    options.Defence = Defence->value();
    options.MaxSolutions = MaxSolutions->value();
    options.NoThreat = NoThreat->isChecked();
    options.PostKeyPlay = PostKeyPlay->isChecked();
    options.NoWk = NoWk->isChecked();
    options.Option = OptionList->currentText();
    return options;
}

FenOptions TForm2::fenOptions() const
{
    FenOptions options;
    options.blackToMove = BlackToMove->isChecked();
    options.whiteShort = WhiteShort->isChecked();
    options.whiteLong = WhiteLong->isChecked();
    options.blackShort = BlackShort->isChecked();
    options.blackLong = BlackLong->isChecked();
    options.enPassant = EnPassant->text();
    return options;
}

void TForm2::setPane(const QStringList& lines)
{
    m_paneFiller->stop();
    m_paneRest.clear();
    if (lines.size() <= kPaneBatch) {
        Memo1->setPlainText(lines.join(QLatin1Char('\n')));
        return;
    }
    Memo1->setPlainText(lines.first(kPaneBatch).join(QLatin1Char('\n')));
    m_paneRest = lines.sliced(kPaneBatch);
    m_paneFiller->start();
}

void TForm2::fillPane(bool all)
{
    while (!m_paneRest.isEmpty()) {
        const qsizetype count = all ? m_paneRest.size() : qMin(kPaneBatch, m_paneRest.size());
        Memo1->appendPlainText(m_paneRest.first(count).join(QLatin1Char('\n')));
        m_paneRest.remove(0, count);
        if (!all)
            break;
    }
    if (m_paneRest.isEmpty())
        m_paneFiller->stop();
}

void TForm2::clearPane()
{
    m_paneFiller->stop();
    m_paneRest.clear();
    m_paneFileWord.reset();
    Memo1->clear();
}

void TForm2::showStatus()
{
    const bool popeye = popeyeActive();
    const SolverRun& active = run(popeye);
    QString text =
        popeye && !active.isRunning() && !m_result.isEmpty() ? m_result : active.statusText();
    const QString& note = m_note[popeye ? 0 : 1];
    if (!note.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" · ")) + note;
    Status->setText(text);
    StopButton->setEnabled(active.isRunning());
}

void TForm2::runEnded(bool popeye)
{
    m_note[popeye ? 0 : 1].clear();
    const QString path = m_programFolder + (popeye ? kPopeyeOutput : kStockfishOutput);
    const std::optional<QStringList> output = ReadSolverOutput(path);
    // Popeye ends as if all was well when it could not read its input.
    if (output && popeye && run(true).statusText().startsWith(QStringLiteral("Popeye finished")))
        m_result = PopeyeInputErrorText(PopeyeInputErrors(*output));
    // What the run wrote is shown at once, on its own tab only: the other tab's text in the
    // pane may be the user's.
    if (output && popeye == popeyeActive()) {
        QStringList lines = *output;
        if (!popeye) {
            const QStringList positions =
                ReadSolverOutput(m_programFolder + kStockfishInput).value_or(QStringList());
            const QString summary = StockfishSummary(lines, positions);
            if (!summary.isEmpty())
                lines.prepend(summary);
        }
        setPane(lines);
    }
    showStatus();
}

void TForm2::CopyItemClick()
{
    Guarded(m_prompts, this, [this] {
        clearPane();
        const Item item = m_shownItem();
        if (!popeyeActive()) {
            setPane({BuildFenLine(item.board, fenOptions())});
            return;
        }
        const PopeyeInput input = BuildPopeyeInput(item, popeyeOptions(), m_programFolder);
        setPane(input.lines);
        // The lines themselves go into the hint: many would widen the window.
        m_note[0].clear();
        Status->setToolTip(input.rewrittenTwins.join(QLatin1Char('\n')));
        if (!input.rewrittenTwins.isEmpty())
            m_note[0] = QStringLiteral("Twin lines as Popeye prints them turned into twin "
                                       "commands: %1")
                            .arg(input.rewrittenTwins.size());
        showStatus();
        const int number = m_shownNumber ? m_shownNumber() : 0;
        m_paneItem =
            number > 0 ? QStringLiteral("Item %1").arg(number) : QStringLiteral("The item shown");
        m_paneFileWord = input.fileWord;
        for (qsizetype i = 0; i < input.refusedTwins.size(); ++i)
            m_prompts.message(this, kAfterKeyRefused);
    });
}

void TForm2::SolveClick()
{
    Guarded(m_prompts, this, [this] {
        const bool popeye = popeyeActive();
        if (run(popeye).isRunning()) {
            m_note[popeye ? 0 : 1] =
                QStringLiteral("%1 is still running: Stop it before solving again")
                    .arg(run(popeye).name());
            showStatus();
            return;
        }
        m_note[popeye ? 0 : 1].clear();
        // The whole text is solved, also when part of a long one is still on its way in.
        fillPane(true);
        if (popeye) {
            m_result.clear();
            solvePopeye();
        } else {
            solveStockfish();
        }
        showStatus();
    });
}

void TForm2::solvePopeye()
{
    const QStringList lines = PaneLines(Memo1->toPlainText());
    if (const auto tooLong = PopeyeLineTooLong(lines))
        throw Failure::refusal(*tooLong);
    // The text is the user's to edit; what counts is whether it still holds such a word.
    if (const auto found = FindPopeyeFileWord(lines, PopeyeProtocolLine(m_programFolder)))
        throw Failure::refusal(m_paneFileWord && m_paneFileWord->word == found->word
                                   ? PopeyeFileWordMessage(m_paneItem, *m_paneFileWord)
                                   : PopeyeFileWordLineMessage(*found));
    WriteSolverInput(m_programFolder + kPopeyeInput, lines);
    RemoveSolverOutput(m_programFolder + kPopeyeOutput);
    const QStringList arguments = PopeyeArguments(PopeyeMemory->currentText());
    // Popeye writes its protocol itself; what it prints besides is the same text again.
    if (!m_popeye->start(m_settings.PopeyeExe, arguments, m_programFolder))
        throw notStarted(m_settings.PopeyeExe);
}

void TForm2::solveStockfish()
{
    const QStringList lines = PaneLines(Memo1->toPlainText());
    // Stockfish crashes on a position it cannot play from.
    if (const auto problem = CheckStockfishPositions(lines))
        throw Failure::refusal(problem->message());
    WriteSolverInput(m_programFolder + kStockfishInput, StockfishPositions(lines));
    RemoveSolverOutput(m_programFolder + kStockfishOutput);
    const QStringList arguments =
        StockfishArguments(HashMemory->currentText(), Threads->currentText(),
                           TimeLimit->currentText(), m_programFolder);
    // Stockfish prints its analysis; the output file is where it is kept.
    if (!m_stockfish->start(m_settings.SfExe, arguments, m_programFolder,
                            m_programFolder + kStockfishOutput))
        throw notStarted(m_settings.SfExe);
}

void TForm2::ViewSolutionClick()
{
    Guarded(m_prompts, this, [this] {
        const bool popeye = popeyeActive();
        const QString path = m_programFolder + (popeye ? kPopeyeOutput : kStockfishOutput);
        clearPane();
        if (const auto lines = ReadSolverOutput(path)) {
            setPane(*lines);
            return;
        }
        if (!QFile::exists(path)) {
            m_note[popeye ? 0 : 1] = QStringLiteral("%1 has not been written").arg(path);
            showStatus();
            return;
        }
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    });
}

void TForm2::ResetAllClick()
{
    Try->setChecked(false);
    Set->setChecked(false);
    Variation->setChecked(true);
    Defence->setValue(1);
    MaxSolutions->setValue(0);
    NoThreat->setChecked(false);
    PostKeyPlay->setChecked(false);
    NoWk->setChecked(false);
    OptionList->setCurrentIndex(0);
}

void TForm2::StopClick()
{
    run(popeyeActive()).stop();
}

} // namespace vexil
