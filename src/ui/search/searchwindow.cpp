#include "search/searchwindow.h"

#include "app/controls.h"
#include "app/guard.h"
#include "app/prompts.h"
#include "model/failure.h"
#include "settings/store.h"
#include "views/entry.h"
#include "views/entrypainter.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace vexil {
namespace {

const QString kSearchKey = QStringLiteral("Software\\Vexil\\Search");

// Paints a found item as the list window paints an entry: title in bold, source, stipulation.
class FoundDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), kEntryHeight);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const auto* model = static_cast<const SearchResultsModel*>(index.model());
        const SearchResultsModel::Found found = model->found(index.row());
        const Entry entry = EntryOf(model->collection(found.file), found.number);
        PaintEntry(painter, option, model->title(index.row()), entry.source, entry.stipulation);
    }
};

} // namespace

void SearchResultsModel::clear(const QStringList& files)
{
    beginResetModel();
    m_files = files;
    m_collections = QList<Collection>(files.size());
    m_found.clear();
    m_pictures.reset();
    endResetModel();
}

void SearchResultsModel::setCollection(int file, const Collection& collection)
{
    if (file >= 0 && file < m_collections.size())
        m_collections[file] = collection;
}

void SearchResultsModel::append(int file, const QList<int>& numbers)
{
    if (numbers.isEmpty())
        return;
    beginInsertRows({}, int(m_found.size()), int(m_found.size() + numbers.size() - 1));
    for (int number : numbers)
        m_found.append({file, number});
    endInsertRows();
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_found.size());
}

QString SearchResultsModel::title(int row) const
{
    const Found f = m_found[row];
    return QStringLiteral("%1: %2").arg(QFileInfo(m_files[f.file]).fileName(),
                                        EntryOf(m_collections[f.file], f.number).title);
}

QString SearchResultsModel::diagramFile(int row) const
{
    if (!m_diagram)
        return {};
    auto* self = const_cast<SearchResultsModel*>(this);
    if (!m_pictures)
        self->m_pictures = std::make_unique<QTemporaryDir>();
    const Found f = m_found[row];
    const QString path =
        m_pictures->filePath(QStringLiteral("%1-%2.png").arg(f.file).arg(f.number));
    if (!QFileInfo::exists(path))
        m_diagram(EntryBoard(m_collections[f.file], f.number)).save(path);
    return path;
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_found.size())
        return {};
    const Found f = m_found[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        Entry entry = EntryOf(m_collections[f.file], f.number);
        entry.title = title(index.row());
        return AccessibleEntryText(entry);
    }
    case Qt::ToolTipRole: {
        const QString file = diagramFile(index.row());
        if (file.isEmpty())
            return {};
        return QStringLiteral("<img src=\"%1\">").arg(file.toHtmlEscaped());
    }
    default:
        return {};
    }
}

SearchWindow::SearchWindow(Prompts& prompts, std::unique_ptr<SettingsStore> store, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_prompts(prompts), m_store(std::move(store)),
      m_model(new SearchResultsModel(this))
{
    setObjectName(QStringLiteral("SearchWindow"));
    setWindowTitle(QStringLiteral("Search"));
    setAccessibleName(QStringLiteral("Search"));
    buildWindow();
    loadSettings();
    refreshCollections();
    setRunning(false);

    connect(&m_job, &SearchJob::fileRead, this,
            [this](int file, const Collection& c) { m_model->setCollection(file, c); });
    connect(&m_job, &SearchJob::fileSkipped, this, [this](int file, const QString& problem) {
        m_skipped << QStringLiteral("%1 (%2)").arg(QFileInfo(m_model->files()[file]).fileName(),
                                                   problem);
    });
    connect(&m_job, &SearchJob::found, this, [this](int file, const QList<int>& numbers) {
        m_model->append(file, numbers);
        m_foundSoFar += numbers.size();
        StatusLine->setText(QStringLiteral("Searching\u2026 %1 found").arg(m_foundSoFar));
        if (!ResultsList->currentIndex().isValid())
            ResultsList->setCurrentIndex(m_model->index(0, 0));
    });
    connect(&m_job, &SearchJob::finished, this, [this](const SearchTotals& totals) {
        StatusLine->setText(SearchStatusText(totals, m_skipped));
        setRunning(false);
    });
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::buildWindow()
{
    auto* layout = new QVBoxLayout(this);
    auto* queryRow = new QHBoxLayout;
    auto* queryLabel = new QLabel(QStringLiteral("&Query:"), this);
    QueryEdit = new QLineEdit(this);
    QueryEdit->setObjectName(QStringLiteral("QueryEdit"));
    QueryEdit->setAccessibleName(QStringLiteral("Query"));
    QueryEdit->setPlaceholderText(QStringLiteral("A=Loyd Y>=1990 STIP=h#* POS='wKe1'"));
    QueryEdit->setToolTip(QStringLiteral(
        "Texts: A= S= STIP= K= TW= SOL= TEXT= or a bare word, with * and ?\n"
        "Year: Y=1990 Y>=1990 Y<1900    Counts: W= B= N= P= FAIRY= TWINS= (= < <= > >=)\n"
        "Pieces: PIECE=nightrider PIECE=wQ    Positions: POS='wKe1 bKe8' EXACT='...'\n"
        "Patterns: MATRIX='wKa1 bQh8' MATRIX('...', mirror) MATRIX('...', all)\n"
        "Verification: VERIFY=sound|cooked|nosolution|timelimit|inputerror|failed|none\n"
        "AND (or nothing), OR, NOT, parentheses"));
    queryLabel->setBuddy(QueryEdit);
    SearchButton = NamedButton("SearchButton", QStringLiteral("&Search"), this,
                               QStringLiteral("Search the collections"));
    SearchButton->setDefault(true);
    StopButton =
        NamedButton("StopButton", QStringLiteral("S&top"), this, QStringLiteral("Stop the search"));
    queryRow->addWidget(queryLabel);
    queryRow->addWidget(QueryEdit, 1);
    queryRow->addWidget(SearchButton);
    queryRow->addWidget(StopButton);
    layout->addLayout(queryRow);

    auto* collectionsLabel = new QLabel(QStringLiteral("&Collections searched:"), this);
    CollectionsList = new QListWidget(this);
    CollectionsList->setObjectName(QStringLiteral("CollectionsList"));
    CollectionsList->setAccessibleName(QStringLiteral("Collections searched"));
    CollectionsList->setMaximumHeight(80);
    collectionsLabel->setBuddy(CollectionsList);
    AddButton = NamedButton("AddButton", QStringLiteral("&Add\u2026"), this,
                            QStringLiteral("Add a collection to search"));
    RemoveButton = NamedButton("RemoveButton", QStringLiteral("&Remove"), this,
                               QStringLiteral("Stop searching the chosen collection"));
    auto* collectionsRow = new QHBoxLayout;
    auto* collectionButtons = new QVBoxLayout;
    collectionButtons->addWidget(AddButton);
    collectionButtons->addWidget(RemoveButton);
    collectionButtons->addStretch();
    collectionsRow->addWidget(CollectionsList, 1);
    collectionsRow->addLayout(collectionButtons);
    layout->addWidget(collectionsLabel);
    layout->addLayout(collectionsRow);

    auto* resultsLabel = new QLabel(QStringLiteral("R&esults:"), this);
    ResultsList = new QListView(this);
    ResultsList->setObjectName(QStringLiteral("ResultsList"));
    ResultsList->setAccessibleName(QStringLiteral("Results"));
    QFont small = font();
    small.setPointSize(8);
    ResultsList->setFont(small);
    ResultsList->setModel(m_model);
    ResultsList->setItemDelegate(new FoundDelegate(ResultsList));
    ResultsList->setUniformItemSizes(true);
    ResultsList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ResultsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultsList->viewport()->setBackgroundRole(QPalette::Button);
    ResultsList->installEventFilter(this);
    resultsLabel->setBuddy(ResultsList);
    layout->addWidget(resultsLabel);
    layout->addWidget(ResultsList, 1);

    auto* bottom = new QHBoxLayout;
    StatusLine = new QLabel(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setAccessibleName(QStringLiteral("Status"));
    StatusLine->setWordWrap(true);
    StatusLine->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    CopyButton = NamedButton("CopyButton", QStringLiteral("Copy selected items"), this,
                             QStringLiteral("Copy selected items to other or new collection"));
    bottom->addWidget(StatusLine, 1);
    bottom->addWidget(CopyButton);
    layout->addLayout(bottom);
    resize(460, 560);

    connect(QueryEdit, &QLineEdit::returnPressed, this, &SearchWindow::searchClicked);
    connect(SearchButton, &QPushButton::clicked, this, &SearchWindow::searchClicked);
    connect(StopButton, &QPushButton::clicked, this, &SearchWindow::stopClicked);
    connect(AddButton, &QPushButton::clicked, this, &SearchWindow::addClicked);
    connect(RemoveButton, &QPushButton::clicked, this, &SearchWindow::removeClicked);
    connect(CopyButton, &QPushButton::clicked, this, &SearchWindow::copyClicked);
    connect(ResultsList, &QAbstractItemView::doubleClicked, this, &SearchWindow::showCurrent);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        QueryEdit->setFocus();
        QueryEdit->selectAll();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        if (isSearching())
            stopClicked();
        else
            hide();
    });
}

void SearchWindow::loadSettings()
{
    if (!m_store)
        return;
    if (const auto query = m_store->value(kSearchKey, QStringLiteral("Query"));
        query && query->isText())
        QueryEdit->setText(query->text);
    const auto count = m_store->value(kSearchKey, QStringLiteral("Collections"));
    for (quint32 i = 1; count && !count->isText() && i <= count->integer && i <= 1000; ++i) {
        const auto path = m_store->value(kSearchKey, QStringLiteral("Collection%1").arg(i));
        if (path && path->isText() && !path->text.isEmpty())
            m_others << path->text;
    }
}

void SearchWindow::saveSettings()
{
    if (!m_store)
        return;
    SettingsStore::Values values;
    values.append({QStringLiteral("Query"), SettingsStore::Value::ofText(QueryEdit->text())});
    values.append(
        {QStringLiteral("Collections"), SettingsStore::Value::ofInteger(quint32(m_others.size()))});
    for (int i = 0; i < m_others.size(); ++i)
        values.append(
            {QStringLiteral("Collection%1").arg(i + 1), SettingsStore::Value::ofText(m_others[i])});
    // A store that cannot be written loses only what this window would remember.
    m_store->write(kSearchKey, values);
}

void SearchWindow::setOpenCollection(const QString& path)
{
    m_openPath = path;
    refreshCollections();
}

void SearchWindow::setDiagram(std::function<QImage(const Board&)> diagram)
{
    m_model->setDiagram(std::move(diagram));
}

QStringList SearchWindow::otherCollections() const
{
    return m_others;
}

void SearchWindow::setOtherCollections(const QStringList& paths)
{
    m_others = paths;
    refreshCollections();
    saveSettings();
}

void SearchWindow::refreshCollections()
{
    const int row = CollectionsList->currentRow();
    CollectionsList->clear();
    CollectionsList->addItem(
        m_openPath.isEmpty()
            ? QStringLiteral("(no collection open)")
            : QStringLiteral("%1 (open)").arg(QDir::toNativeSeparators(m_openPath)));
    for (const QString& path : std::as_const(m_others))
        CollectionsList->addItem(QDir::toNativeSeparators(path));
    CollectionsList->setCurrentRow(std::clamp(row, 0, CollectionsList->count() - 1));
}

void SearchWindow::bringUp()
{
    show();
    raise();
    activateWindow();
    QueryEdit->setFocus();
    QueryEdit->selectAll();
}

void SearchWindow::setRunning(bool running)
{
    SearchButton->setEnabled(!running);
    StopButton->setEnabled(running);
}

void SearchWindow::searchClicked()
{
    Guarded(m_prompts, this, [this] {
        const ParsedQuery parsed = ParseQuery(QueryEdit->text());
        saveSettings();
        if (!parsed.isValid()) {
            StatusLine->setText(parsed.errorText());
            QueryEdit->setFocus();
            QueryEdit->setCursorPosition(int(parsed.error.position));
            return;
        }
        QStringList files;
        if (!m_openPath.isEmpty())
            files << m_openPath;
        for (const QString& path : std::as_const(m_others))
            if (!files.contains(path))
                files << path;
        if (files.isEmpty()) {
            StatusLine->setText(QStringLiteral("No collection to search: open one or add one."));
            return;
        }
        m_skipped.clear();
        m_foundSoFar = 0;
        QList<std::optional<Collection>> inMemory;
        if (!m_openPath.isEmpty() && m_openSource)
            inMemory << m_openSource();
        m_model->clear(files);
        StatusLine->setText(QStringLiteral("Searching\u2026"));
        setRunning(true);
        m_job.start(*parsed.root, files, inMemory);
    });
}

void SearchWindow::stopClicked()
{
    m_job.stop();
}

void SearchWindow::addClicked()
{
    const QString path = m_prompts.openFileName(this, QStringLiteral("Add a collection to search"),
                                                QStringLiteral("DGR Files|*.dgr|All files|*.*"),
                                                QStringLiteral("dgr"));
    if (path.isEmpty())
        return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!m_others.contains(absolute))
        m_others << absolute;
    refreshCollections();
    CollectionsList->setCurrentRow(CollectionsList->count() - 1);
    saveSettings();
}

void SearchWindow::removeClicked()
{
    // The open collection is always searched; only the others can be taken off.
    const int row = CollectionsList->currentRow();
    if (row < 1 || row > m_others.size())
        return;
    m_others.removeAt(row - 1);
    refreshCollections();
    saveSettings();
}

void SearchWindow::showCurrent()
{
    const QModelIndex current = ResultsList->currentIndex();
    if (!current.isValid())
        return;
    const SearchResultsModel::Found found = m_model->found(current.row());
    emit showItemRequested(m_model->files()[found.file], found.number);
}

void SearchWindow::copyClicked()
{
    Guarded(m_prompts, this, [this] {
        QModelIndexList rows = ResultsList->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return;
        std::sort(rows.begin(), rows.end());
        const QString name = m_prompts.copyTargetFileName(this);
        if (name.isEmpty())
            return;
        if (QFileInfo(name).suffix().compare(QLatin1String("dgr"), Qt::CaseInsensitive) != 0)
            throw Failure::refusal(QStringLiteral("Found items are copied into .dgr collections."));
        const QFileInfo target(name);
        if (!m_openPath.isEmpty() && target.exists() &&
            target.canonicalFilePath() == QFileInfo(m_openPath).canonicalFilePath())
            throw Failure::refusal(QStringLiteral("Another collection should be chosen!"));
        QList<std::pair<Collection, int>> items;
        for (const QModelIndex& index : rows) {
            const SearchResultsModel::Found found = m_model->found(index.row());
            items.append({m_model->collection(found.file), found.number});
        }
        AppendItemsToFile(name, items);
    });
}

bool SearchWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ResultsList && IsEnterPress(event)) {
        showCurrent();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vexil
