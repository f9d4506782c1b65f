#include "verify/verifywindow.h"

#include "app/controls.h"
#include "app/guard.h"
#include "app/prompts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

namespace vexil {

namespace {

// Results are shown and the progress told this often during a run.
constexpr int kTickMilliseconds = 250;

QSpinBox* spinBox(const char* name, int minimum, int maximum, int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

QLabel* labelFor(const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(caption).remove(u'&'));
    return label;
}

} // namespace

VerifyWindow::VerifyWindow(Prompts& prompts, VerifySource source, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompts(prompts), m_source(std::move(source))
{
    setObjectName(QStringLiteral("VerifyWindow"));
    setWindowTitle(QStringLiteral("Verify collection"));
    VerifyItems items;
    items.count = [this] { return m_source.itemCount ? m_source.itemCount() : 0; };
    items.storedLines = [this](int number) { return m_source.storedLines(number); };
    items.popeyeInput = [this](int number) { return m_source.popeyeInput(number); };
    items.solution = [this](int number) { return m_source.itemInfo(number).solution; };
    if (m_source.positions)
        items.positions = [this](int number) { return m_source.positions(number); };
    m_session = std::make_unique<VerifySession>(std::move(items));
    connect(m_session.get(), &VerifySession::itemVerified, this,
            [this](const VerifyRecord& record) { m_model->setRecord(record); });
    connect(m_session.get(), &VerifySession::finished, this,
            [this](bool stopped, const QString& problem) {
                Guarded(m_prompts, this, [&] { runEnded(stopped, problem); });
            });
    m_model = new VerifyTableModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(VerifyTableModel::SortRole);
    m_proxy->setFilterKeyColumn(VerifyTableModel::OutcomeColumn);
    buildWindow();
    m_tick.setInterval(kTickMilliseconds);
    connect(&m_tick, &QTimer::timeout, this, [this] { Quietly([this] { showProgress(); }); });
    itemsChanged();
    updateControls();
}

VerifyWindow::~VerifyWindow() = default;

void VerifyWindow::buildWindow()
{
    AllItems = new QRadioButton(QStringLiteral("&All items"), this);
    AllItems->setObjectName(QStringLiteral("AllItems"));
    RangeItems = new QRadioButton(QStringLiteral("&From"), this);
    RangeItems->setObjectName(QStringLiteral("RangeItems"));
    SelectedItems = new QRadioButton(QStringLiteral("&Selection"), this);
    SelectedItems->setObjectName(QStringLiteral("SelectedItems"));
    AllItems->setChecked(true);
    FromItem = spinBox("FromItem", 1, 1, 1, this);
    FromItem->setAccessibleName(QStringLiteral("From item"));
    ToItem = spinBox("ToItem", 1, 1, 1, this);
    const int cores = qMax(1, QThread::idealThreadCount());
    Parallel = spinBox("Parallel", 1, cores, cores, this);
    MaxTime = spinBox("MaxTime", 1, 86400, 60, this);
    MaxTime->setSuffix(QStringLiteral(" s"));

    VerifyButton = NamedButton("VerifyButton", QStringLiteral("&Verify"), this);
    RerunButton = NamedButton("RerunButton", QStringLiteral("&Re-run all"), this);
    StopButton = NamedButton("StopButton", QStringLiteral("S&top"), this);
    CopyButton = NamedButton("CopyButton", QStringLiteral("&Copy solution to item"), this);
    ExportButton = NamedButton("ExportButton", QStringLiteral("&Export CSV…"), this);

    OutcomeFilter = new QComboBox(this);
    OutcomeFilter->setObjectName(QStringLiteral("OutcomeFilter"));
    OutcomeFilter->addItem(QStringLiteral("All outcomes"));
    for (Outcome outcome : AllOutcomes())
        OutcomeFilter->addItem(OutcomeText(outcome));

    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setAccessibleName(QStringLiteral("Progress"));
    Progress->setRange(0, 1);
    Progress->setValue(0);
    ProgressLabel = new QLabel(this);
    ProgressLabel->setObjectName(QStringLiteral("ProgressLabel"));

    Table = new QTableView(this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setAccessibleName(QStringLiteral("Results"));
    Table->setModel(m_proxy);
    Table->setSortingEnabled(true);
    Table->sortByColumn(VerifyTableModel::Number, Qt::AscendingOrder);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->hide();
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 6);
    Table->horizontalHeader()->setStretchLastSection(false);
    Table->horizontalHeader()->setSectionResizeMode(VerifyTableModel::FirstMoves,
                                                    QHeaderView::Stretch);
    Table->setColumnWidth(VerifyTableModel::Number, 72);
    Table->setColumnWidth(VerifyTableModel::Author, 130);
    Table->setColumnWidth(VerifyTableModel::Stipulation, 80);
    Table->setColumnWidth(VerifyTableModel::OutcomeColumn, 140);
    Table->setColumnWidth(VerifyTableModel::Solutions, 70);
    Table->setColumnWidth(VerifyTableModel::Time, 70);
    Table->setColumnWidth(VerifyTableModel::StoredMove, 90);

    auto* scope = new QGridLayout;
    scope->addWidget(AllItems, 0, 0);
    scope->addWidget(RangeItems, 1, 0);
    scope->addWidget(FromItem, 1, 1);
    scope->addWidget(labelFor(QStringLiteral("t&o"), ToItem, this), 1, 2);
    scope->addWidget(ToItem, 1, 3);
    scope->addWidget(SelectedItems, 2, 0, 1, 4);
    scope->addWidget(labelFor(QStringLiteral("&Parallel runs"), Parallel, this), 0, 5);
    scope->addWidget(Parallel, 0, 6);
    scope->addWidget(labelFor(QStringLiteral("&MaxTime"), MaxTime, this), 1, 5);
    scope->addWidget(MaxTime, 1, 6);
    scope->setColumnStretch(4, 1);
    scope->setColumnStretch(7, 1);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {VerifyButton, RerunButton, StopButton})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(labelFor(QStringLiteral("O&utcome"), OutcomeFilter, this));
    buttons->addWidget(OutcomeFilter);

    auto* progress = new QHBoxLayout;
    progress->addWidget(Progress, 1);
    progress->addWidget(ProgressLabel, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CopyButton);
    bottom->addStretch();
    bottom->addWidget(ExportButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(scope);
    layout->addLayout(buttons);
    layout->addLayout(progress);
    layout->addWidget(Table, 1);
    layout->addLayout(bottom);
    resize(820, 520);

    auto handler = [this](void (VerifyWindow::*method)()) {
        return [this, method] { Guarded(m_prompts, this, [this, method] { (this->*method)(); }); };
    };
    connect(VerifyButton, &QPushButton::clicked, this, handler(&VerifyWindow::VerifyClick));
    connect(RerunButton, &QPushButton::clicked, this, handler(&VerifyWindow::RerunClick));
    connect(StopButton, &QPushButton::clicked, this, handler(&VerifyWindow::StopClick));
    connect(CopyButton, &QPushButton::clicked, this, handler(&VerifyWindow::CopyClick));
    connect(ExportButton, &QPushButton::clicked, this, handler(&VerifyWindow::ExportClick));
    connect(OutcomeFilter, &QComboBox::currentIndexChanged, this,
            handler(&VerifyWindow::FilterChange));
    connect(Table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        Guarded(m_prompts, this, [&] { TableDoubleClick(index); });
    });
    for (QSpinBox* box : {FromItem, ToItem})
        connect(box, &QSpinBox::valueChanged, RangeItems, [this] { RangeItems->setChecked(true); });
}

void VerifyWindow::setPopeye(const QString& path, const QString& memory)
{
    m_popeyePath = path;
    m_popeyeMemory = memory;
}

void VerifyWindow::setResultsFile(const QString& path)
{
    // Another collection: its items are not the ones in the table.
    m_session->stop();
    m_model->setRows({});
    // Numbers chosen in the collection before name other items in this one.
    setSelection({});
    Progress->setRange(0, 1);
    Progress->setValue(0);
    ProgressLabel->clear();
    QString problem;
    m_session->open(path, &problem);
    if (!problem.isEmpty())
        m_prompts.error(this, problem);
}

void VerifyWindow::setSelection(const QList<int>& numbers)
{
    m_selection = numbers;
    SelectedItems->setText(QStringLiteral("&Selection (%1 items)").arg(numbers.size()));
    SelectedItems->setChecked(!numbers.isEmpty());
    if (numbers.isEmpty() && SelectedItems->isChecked())
        AllItems->setChecked(true);
    updateControls();
}

void VerifyWindow::itemsChanged()
{
    // Numbers no longer name the items the run was started for.
    m_session->stop();
    const int count = qMax(1, m_source.itemCount ? m_source.itemCount() : 0);
    for (QSpinBox* box : {FromItem, ToItem}) {
        const QSignalBlocker quiet(box);
        const bool atEnd = box == ToItem && box->value() == box->maximum();
        box->setMaximum(count);
        if (atEnd)
            box->setValue(count);
    }
}

bool VerifyWindow::isRunning() const
{
    return m_session->isRunning();
}

QList<int> VerifyWindow::chosenItems() const
{
    const int count = m_source.itemCount ? m_source.itemCount() : 0;
    QList<int> numbers;
    if (SelectedItems->isChecked()) {
        for (int number : m_selection)
            if (number >= 1 && number <= count && !numbers.contains(number))
                numbers.append(number);
        return numbers;
    }
    int from = 1;
    int to = count;
    if (RangeItems->isChecked()) {
        from = FromItem->value();
        to = qMin(ToItem->value(), count);
    }
    for (int number = from; number <= to; ++number)
        numbers.append(number);
    return numbers;
}

void VerifyWindow::VerifyClick()
{
    verify(false);
}
void VerifyWindow::RerunClick()
{
    verify(true);
}

void VerifyWindow::verify(bool all)
{
    if (isRunning())
        return;
    const QList<int> numbers = chosenItems();
    QHash<int, VerifyRecord> kept;
    const QList<int> toRun = m_session->plan(numbers, MaxTime->value(), all, &kept);
    QList<VerifyRow> rows;
    rows.reserve(numbers.size());
    for (int number : numbers) {
        const VerifyItemInfo info = m_source.itemInfo(number);
        VerifyRow row{number, info.author, info.stipulation, std::nullopt};
        if (const auto found = kept.constFind(number); found != kept.constEnd())
            row.record = *found;
        rows.append(row);
    }
    m_model->setRows(rows);

    if (m_source.solver) {
        const VerifySolver solver = m_source.solver();
        setPopeye(solver.path, solver.memory);
    }
    Progress->setRange(0, qMax(1, int(toRun.size())));
    Progress->setValue(0);
    if (toRun.isEmpty()) {
        ProgressLabel->setText(QStringLiteral("%1 items, all verified before").arg(numbers.size()));
        Progress->setValue(Progress->maximum());
        updateControls();
        return;
    }
    QString refusal;
    if (!m_session->start(toRun, VerifySolver{m_popeyePath, m_popeyeMemory}, Parallel->value(),
                          MaxTime->value(), m_grace, &refusal)) {
        updateControls();
        throw Failure::refusal(refusal);
    }
    m_tick.start();
    showProgress();
    updateControls();
}

void VerifyWindow::showProgress()
{
    m_model->applyPending();
    if (!isRunning() && m_session->progress().total == 0)
        return;
    const VerifyProgress progress = m_session->progress();
    Progress->setMaximum(qMax(1, progress.total));
    Progress->setValue(progress.done);
    ProgressLabel->setText(ProgressText(progress));
}

void VerifyWindow::runEnded(bool stopped, const QString& problem)
{
    m_tick.stop();
    showProgress();
    if (stopped)
        ProgressLabel->setText(ProgressLabel->text() + QStringLiteral(", stopped"));
    updateControls();
    emit verificationFinished();
    if (!problem.isEmpty())
        throw Failure::error(problem);
}

void VerifyWindow::StopClick()
{
    m_session->stop();
}

int VerifyWindow::currentNumber() const
{
    const QModelIndex index = m_proxy->mapToSource(Table->currentIndex());
    return index.isValid() ? m_model->rowAt(index.row()).number : 0;
}

void VerifyWindow::CopyClick()
{
    const QModelIndex index = m_proxy->mapToSource(Table->currentIndex());
    if (!index.isValid())
        return;
    const VerifyRow& row = m_model->rowAt(index.row());
    if (row.record)
        emit copySolutionRequested(row.number, row.record->output);
}

void VerifyWindow::ExportClick()
{
    const QString path =
        m_prompts.saveFileName(this, QStringLiteral("Export CSV"),
                               QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    WriteBytesFile(path, ModelCsv(*m_proxy));
}

void VerifyWindow::FilterChange()
{
    const int choice = OutcomeFilter->currentIndex();
    if (choice <= 0) {
        m_proxy->setFilterRegularExpression(QString());
        return;
    }
    const QString outcome = OutcomeText(AllOutcomes().at(choice - 1));
    // "cooked (interrupted)" is cooked as well.
    m_proxy->setFilterRegularExpression(QRegularExpression(
        QStringLiteral("^%1( \\(interrupted\\))?$").arg(QRegularExpression::escape(outcome))));
}

void VerifyWindow::TableDoubleClick(const QModelIndex& index)
{
    const QModelIndex source = m_proxy->mapToSource(index);
    if (source.isValid())
        emit showItemRequested(m_model->rowAt(source.row()).number);
}

void VerifyWindow::updateControls()
{
    const bool running = isRunning();
    for (QWidget* control : std::initializer_list<QWidget*>{
             VerifyButton, RerunButton, AllItems, RangeItems, FromItem, ToItem, Parallel, MaxTime})
        control->setEnabled(!running);
    SelectedItems->setEnabled(!running && !m_selection.isEmpty());
    StopButton->setEnabled(running);
}

void VerifyWindow::closeEvent(QCloseEvent* event)
{
    // Closing ends the runs: no Popeye goes on working for a window nobody sees.
    if (isRunning())
        m_session->stop();
    event->accept();
}

} // namespace vexil
