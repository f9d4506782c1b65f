#include "duplicates/duplicateswindows.h"

#include "app/controls.h"
#include "app/guard.h"
#include "app/prompts.h"
#include "model/failure.h"
#include "model/opencollection.h"
#include "output/diagram.h"
#include "verify/verifymodel.h"
#include "views/list.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vexil {
namespace {

enum Column {
    KindColumn,
    WhyColumn,
    CollectionColumn,
    NumberColumn,
    AuthorColumn,
    SourceColumn,
    StipulationColumn,
    ColumnCount
};
constexpr int kCollectionRole = Qt::UserRole;
constexpr int kNumberRole = Qt::UserRole + 1;

QTreeWidget* matchTree(const char* name, const QString& accessibleName, QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QLatin1String(name));
    tree->setAccessibleName(accessibleName);
    tree->setColumnCount(ColumnCount);
    tree->setHeaderLabels({QStringLiteral("Kind"), QStringLiteral("Why"),
                           QStringLiteral("Collection"), QStringLiteral("Number"),
                           QStringLiteral("Author"), QStringLiteral("Source"),
                           QStringLiteral("Stipulation")});
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->setUniformRowHeights(true);
    tree->setAlternatingRowColors(true);
    tree->header()->setSectionResizeMode(QHeaderView::Interactive);
    return tree;
}

QTreeWidgetItem* matchRow(const DuplicateMatch& match, const QList<SearchedCollection>& searched)
{
    const QString file =
        match.collection < searched.size() ? searched[match.collection].fileName : QString();
    auto* row = new QTreeWidgetItem(
        QStringList{MatchKindText(match.kind), match.explanation, QFileInfo(file).fileName(),
                    QString::number(match.number), match.author, match.source, match.stipulation});
    row->setToolTip(CollectionColumn, file);
    row->setTextAlignment(NumberColumn, Qt::AlignRight | Qt::AlignVCenter);
    row->setData(0, kCollectionRole, match.collection);
    row->setData(0, kNumberRole, match.number);
    return row;
}

void fitColumns(QTreeWidget* tree)
{
    for (int c = 0; c < ColumnCount; ++c)
        tree->resizeColumnToContents(c);
}

// An item of a collection that is not open: its diagram and texts, read only.
void previewItem(QWidget* parent, const DuplicateSources& sources,
                 const SearchedCollection& searched, int number)
{
    const Item item = searched.collection.readItem(searched.collection.FindItemLine(number));
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("itemPreview"));
    dialog.setWindowTitle(
        QStringLiteral("%1, item %2").arg(QFileInfo(searched.fileName).fileName()).arg(number));
    auto* layout = new QHBoxLayout(&dialog);
    auto* diagram = new QLabel(&dialog);
    diagram->setAccessibleName(QStringLiteral("Diagram"));
    if (sources.pictures && sources.fairyPictures)
        diagram->setPixmap(QPixmap::fromImage(DiagramBitmap(
            item.board, 27, StandardDiagramColours(), *sources.pictures, *sources.fairyPictures)));
    layout->addWidget(diagram);
    auto* texts = new QVBoxLayout;
    QStringList lines{item.author, item.source,
                      (item.stipulation + QLatin1Char(' ') + item.condition).trimmed()};
    lines += item.twins;
    auto* label = new QLabel(lines.join(QLatin1Char('\n')), &dialog);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAccessibleName(QStringLiteral("Item"));
    texts->addWidget(label);
    texts->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    texts->addWidget(buttons);
    layout->addLayout(texts);
    dialog.exec();
}

// A double click on a match: the main window shows an item of the open collection, any
// other is previewed.
void showMatch(QWidget* parent, Prompts& prompts, const DuplicateSources& sources,
               const QList<SearchedCollection>& searched, QTreeWidgetItem* row)
{
    const QVariant collection = row->data(0, kCollectionRole);
    if (!collection.isValid())
        return;
    const int c = collection.toInt();
    const int number = row->data(0, kNumberRole).toInt();
    if (c < 0 || c >= searched.size())
        return;
    if (searched[c].open) {
        if (sources.showOpenItem)
            sources.showOpenItem(number);
        return;
    }
    Guarded(prompts, parent, [&] { previewItem(parent, sources, searched[c], number); });
}

QString counted(qsizetype n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QStringList equivalenceNames()
{
    return {QStringLiteral("Exact squares"), QStringLiteral("Plus the mirror"),
            QStringLiteral("Plus all eight symmetries"), QStringLiteral("Plus colours swapped")};
}

} // namespace

DuplicateOptionsBox::DuplicateOptionsBox(bool nearByDefault, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("&Equivalence:"), this);
    equivalence = new QComboBox(this);
    equivalence->setObjectName(QStringLiteral("equivalence"));
    equivalence->addItems(equivalenceNames());
    equivalence->setCurrentIndex(int(Equivalence::ColoursSwapped));
    label->setBuddy(equivalence);
    oneUnitAway = NamedCheckBox("oneUnitAway", QStringLiteral("One &unit away"), this);
    oneUnitAway->setChecked(nearByDefault);
    sameStipulation = NamedCheckBox("sameStipulation", QStringLiteral("Same &stipulation"), this);
    layout->addWidget(label);
    layout->addWidget(equivalence);
    layout->addWidget(oneUnitAway);
    layout->addWidget(sameStipulation);
    layout->addStretch();
}

DuplicateOptions DuplicateOptionsBox::options() const
{
    return {Equivalence(qBound(0, equivalence->currentIndex(), 3)), oneUnitAway->isChecked(),
            sameStipulation->isChecked()};
}

IsItNewWindow::IsItNewWindow(Prompts& prompts, DuplicateSources sources, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_prompts(prompts), m_sources(std::move(sources))
{
    setObjectName(QStringLiteral("IsItNewWindow"));
    setWindowTitle(QStringLiteral("Is it new?"));
    auto* layout = new QVBoxLayout(this);
    optionsBox = new DuplicateOptionsBox(true, this);
    layout->addWidget(optionsBox);
    answer = new QLabel(this);
    answer->setObjectName(QStringLiteral("answer"));
    answer->setAccessibleName(QStringLiteral("Answer"));
    layout->addWidget(answer);
    matchList = matchTree("matchList", QStringLiteral("Earlier positions"), this);
    matchList->setRootIsDecorated(false);
    layout->addWidget(matchList, 1);
    auto* buttons = new QHBoxLayout;
    searchButton = NamedButton("searchButton", QStringLiteral("Search &again"), this);
    findDuplicatesButton =
        NamedButton("findDuplicatesButton", QStringLiteral("&Find duplicates…"), this);
    buttons->addWidget(searchButton);
    buttons->addStretch();
    buttons->addWidget(findDuplicatesButton);
    layout->addLayout(buttons);
    resize(760, 320);

    connect(searchButton, &QPushButton::clicked, this, &IsItNewWindow::search);
    connect(findDuplicatesButton, &QPushButton::clicked, this,
            &IsItNewWindow::findDuplicatesRequested);
    connect(matchList, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* row) {
        showMatch(this, m_prompts, m_sources, m_searched, row);
    });
}

void IsItNewWindow::search()
{
    Guarded(m_prompts, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        const Item item = m_sources.shownItem();
        m_searched = m_sources.collections();
        const QList<DuplicateMatch> matches =
            FindAnticipations(item.board, item.stipulation, m_searched, optionsBox->options());
        matchList->clear();
        QList<QTreeWidgetItem*> rows;
        for (const DuplicateMatch& match : matches)
            rows << matchRow(match, m_searched);
        matchList->addTopLevelItems(rows);
        fitColumns(matchList);
        answer->setText(matches.isEmpty() ? QStringLiteral("No earlier position found")
                                          : counted(matches.size(), "earlier position found",
                                                    "earlier positions found"));
    });
    show();
    raise();
    activateWindow();
}

FindDuplicatesWindow::FindDuplicatesWindow(Prompts& prompts, const OpenCollection& open,
                                           DuplicateSources sources, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_prompts(prompts), m_open(open), m_sources(std::move(sources))
{
    setObjectName(QStringLiteral("FindDuplicatesWindow"));
    setWindowTitle(QStringLiteral("Find duplicates"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    optionsBox = new DuplicateOptionsBox(false, this);
    findButton = NamedButton("findButton", QStringLiteral("F&ind"), this);
    top->addWidget(optionsBox, 1);
    top->addWidget(findButton);
    layout->addLayout(top);
    answer = new QLabel(this);
    answer->setObjectName(QStringLiteral("answer"));
    answer->setAccessibleName(QStringLiteral("Answer"));
    layout->addWidget(answer);
    groupList = matchTree("groupList", QStringLiteral("Groups of duplicates"), this);
    layout->addWidget(groupList, 1);
    auto* buttons = new QHBoxLayout;
    copyButton = NamedButton("copyButton", QStringLiteral("&Copy selected items"), this);
    exportButton = NamedButton("exportButton", QStringLiteral("E&xport CSV…"), this);
    buttons->addWidget(copyButton);
    buttons->addStretch();
    buttons->addWidget(exportButton);
    layout->addLayout(buttons);
    resize(820, 460);

    connect(findButton, &QPushButton::clicked, this, &FindDuplicatesWindow::find);
    connect(copyButton, &QPushButton::clicked, this, &FindDuplicatesWindow::copySelectedItems);
    connect(exportButton, &QPushButton::clicked, this, &FindDuplicatesWindow::exportCsv);
    connect(groupList, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* row) {
        showMatch(this, m_prompts, m_sources, m_searched, row);
    });
}

void FindDuplicatesWindow::find()
{
    Guarded(m_prompts, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        m_searched = m_sources.collections();
        for (SearchedCollection& c : m_searched)
            c.skipNumber = 0;
        m_groups = FindDuplicates(m_searched, optionsBox->options());
        groupList->clear();
        QList<QTreeWidgetItem*> rows;
        for (qsizetype g = 0; g < m_groups.size(); ++g) {
            auto* group =
                new QTreeWidgetItem(QStringList{QStringLiteral("Group %1").arg(g + 1),
                                                counted(m_groups[g].size(), "item", "items")});
            for (const DuplicateMatch& match : m_groups[g]) {
                QTreeWidgetItem* row = matchRow(match, m_searched);
                if (match.relatedTo > 0)
                    row->setText(WhyColumn, QStringLiteral("%1 (from %2)")
                                                .arg(match.explanation)
                                                .arg(m_groups[g][match.relatedTo].number));
                group->addChild(row);
            }
            rows << group;
        }
        groupList->addTopLevelItems(rows);
        if (rows.size() <= 200)
            groupList->expandAll();
        fitColumns(groupList);
        answer->setText(m_groups.isEmpty() ? QStringLiteral("No duplicates found")
                                           : counted(m_groups.size(), "group", "groups"));
    });
    show();
    raise();
    activateWindow();
}

void FindDuplicatesWindow::copySelectedItems()
{
    Guarded(m_prompts, this, [this] {
        // A selected group stands for all its items.
        QList<std::pair<int, int>> chosen;
        for (QTreeWidgetItem* row : groupList->selectedItems()) {
            const QList<QTreeWidgetItem*> members =
                row->childCount() ? [row] {
                    QList<QTreeWidgetItem*> list;
                    for (int i = 0; i < row->childCount(); ++i)
                        list << row->child(i);
                    return list;
                }()
                                  : QList<QTreeWidgetItem*>{row};
            for (QTreeWidgetItem* member : members) {
                const std::pair item(member->data(0, kCollectionRole).toInt(),
                                     member->data(0, kNumberRole).toInt());
                if (!chosen.contains(item))
                    chosen << item;
            }
        }
        if (chosen.isEmpty())
            return;
        std::sort(chosen.begin(), chosen.end());
        const bool onlyOpen = std::all_of(chosen.begin(), chosen.end(), [&](const auto& item) {
            return item.first < m_searched.size() && m_searched[item.first].open;
        });
        if (onlyOpen) {
            QList<int> numbers;
            for (const auto& item : chosen)
                numbers << item.second;
            CopyItemsToCollection(m_prompts, this, m_open, numbers);
            return;
        }
        // Items of other collections go as they are stored, into a collection file.
        const QString name = m_prompts.copyTargetFileName(this);
        if (name.isEmpty())
            return;
        if (m_open.isOpenFile(name))
            throw Failure::refusal(QStringLiteral("Another collection should be chosen!"));
        if (!name.endsWith(QStringLiteral(".dgr"), Qt::CaseInsensitive))
            throw Failure::refusal(
                QStringLiteral("Items of several collections are copied into a DGR file."));
        QList<std::pair<Collection, int>> items;
        for (const auto& [c, number] : chosen)
            if (c < m_searched.size())
                items.append({m_searched[c].collection, number});
        AppendItemsToFile(name, items);
    });
}

void FindDuplicatesWindow::exportCsv()
{
    Guarded(m_prompts, this, [this] {
        const QString name =
            m_prompts.saveFileName(this, QStringLiteral("Export CSV"),
                                   QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"));
        if (name.isEmpty())
            return;
        WriteBytesFile(name, DuplicateGroupsCsv(m_groups, m_searched));
    });
}

} // namespace vexil
