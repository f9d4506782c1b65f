#include "views/list.h"

#include "app/controls.h"
#include "app/exporting.h"
#include "app/guard.h"
#include "app/prompts.h"
#include "model/opencollection.h"
#include "views/entry.h"
#include "views/entrypainter.h"
#include "views/search.h"

#include <QAction>
#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTimer>

namespace vexil {
namespace {

constexpr QSize kClientSize{249, 428};
constexpr int kPanelHeight = 74;

const QString kNotFound = QStringLiteral("Vexil did not find items!");
const QString kChooseAnother = QStringLiteral("Another collection should be chosen!");

// Paints an entry in three lines, read from the stored lines when it comes into view.
class EntryDelegate : public QStyledItemDelegate {
public:
    EntryDelegate(const OpenCollection& collection, QObject* parent)
        : QStyledItemDelegate(parent), m_collection(collection)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), kEntryHeight);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const Entry entry = EntryOf(m_collection.collection(), index.row() + 1);
        PaintEntry(painter, option, entry.title, entry.source, entry.stipulation);
    }

private:
    const OpenCollection& m_collection;
};

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                    QRect geometry)
{
    QPushButton* b = NamedButton(name, caption, parent, hint);
    b->setGeometry(geometry);
    return b;
}

} // namespace

TForm3::TForm3(Prompts& prompts, const OpenCollection& collection, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_prompts(prompts), m_collection(collection),
      m_model(new ItemListModel(collection, this))
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("List"));
    setAccessibleName(QStringLiteral("List"));
    setFixedSize(kClientSize);
    move(342, 6);

    // Entries are drawn in the small font of the window's design, so three lines fit in one.
    QFont small = font();
    small.setPointSize(8);

    ListBox1 = new EntryListView(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Items"));
    ListBox1->setFont(small);
    // While rows come, go or move the view may move its current entry by itself (off a row
    // taken away): that is no choice of the user's. These two connections bracket the view's
    // own, made by setModel.
    for (const auto about :
         {&QAbstractItemModel::rowsAboutToBeInserted, &QAbstractItemModel::rowsAboutToBeRemoved})
        connect(m_model, about, this, [this] { m_rowsChanging = true; });
    connect(m_model, &QAbstractItemModel::rowsAboutToBeMoved, this,
            [this] { m_rowsChanging = true; });
    ListBox1->setModel(m_model);
    for (const auto done : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, done, this, [this] { m_rowsChanging = false; });
    connect(m_model, &QAbstractItemModel::rowsMoved, this, [this] { m_rowsChanging = false; });
    ListBox1->setItemDelegate(new EntryDelegate(collection, ListBox1));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ListBox1->viewport()->setBackgroundRole(QPalette::Button);
    ListBox1->setGeometry(0, 0, kClientSize.width(), kClientSize.height() - kPanelHeight);
    ListBox1->installEventFilter(this);

    const int top = kClientSize.height() - kPanelHeight;
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Search text"));
    Edit1->setGeometry(6, top + 8, 124, 25);
    BitBtn1 = button(this, "BitBtn1", QStringLiteral("Find / Next"),
                     QStringLiteral("Find or find next"), QRect(136, top + 7, 107, 27));
    auto* separator = new QFrame(this);
    separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    separator->setGeometry(4, top + 38, kClientSize.width() - 8, 2);
    BitBtn2 = button(this, "BitBtn2", QStringLiteral("Clear selected"),
                     QStringLiteral("Clear all selected items"), QRect(6, top + 43, 100, 27));
    BitBtn3 = button(this, "BitBtn3", QStringLiteral("Copy selected items"),
                     QStringLiteral("Copy selected items to other or new collection"),
                     QRect(110, top + 43, 133, 27));

    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm3::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm3::BitBtn3Click);
    auto* verify = new QAction(QStringLiteral("Verify selected items\u2026"), ListBox1);
    verify->setObjectName(QStringLiteral("VerifySelected"));
    ListBox1->addAction(verify);
    auto* publish = new QAction(QStringLiteral("Publish selected items\u2026"), ListBox1);
    publish->setObjectName(QStringLiteral("PublishSelected"));
    ListBox1->addAction(publish);
    connect(publish, &QAction::triggered, this, &TForm3::publishSelectedRequested);
    ListBox1->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(verify, &QAction::triggered, this, [this] {
        const QList<int> numbers = selectedNumbers();
        if (!numbers.isEmpty())
            emit verifySelectedRequested(numbers);
    });
    connect(ListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_marking && !m_rowsChanging && current.isValid())
                    chooseLater();
            });
    connect(ListBox1, &QAbstractItemView::doubleClicked, this, &TForm3::closeList);
    connect(&collection, &OpenCollection::currentChanged, this, &TForm3::markCurrentItem);
    connect(m_model, &QAbstractItemModel::modelReset, this,
            [this] { markCurrentItem(m_collection.currentItem()); });
}

bool TForm3::isActiveListWindow() const
{
    return isActiveWindow();
}

void TForm3::clearAllSelections()
{
    ListBox1->selectionModel()->clearSelection();
}

void TForm3::selectEntry(int position)
{
    setCurrentEntry(position, true);
}

void TForm3::setCurrentEntry(int position, bool select)
{
    const QModelIndex index = m_model->index(position, 0);
    const QScopedValueRollback marking(m_marking, true);
    if (index.isValid()) {
        if (select)
            ListBox1->selectionModel()->select(index, QItemSelectionModel::Select);
        ListBox1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        ListBox1->scrollTo(index);
    } else {
        ListBox1->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void TForm3::markCurrentItem(int number)
{
    if (!isActiveListWindow())
        clearAllSelections();
    if (number >= 1)
        selectEntry(number - 1);
}

void TForm3::chooseLater()
{
    // The item is shown once the click or key that moved the entry has been handled: showing
    // it may ask about unsaved changes, and a question box must not take the mouse release
    // away from the list in the middle of its press.
    if (m_choicePending)
        return;
    m_choicePending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_choicePending)
            ListBox1Click();
    });
}

void TForm3::ListBox1Click()
{
    m_choicePending = false;
    const QModelIndex current = ListBox1->currentIndex();
    if (!current.isValid())
        return;
    const int number = current.row() + 1;
    if (number == m_collection.currentItem() || !m_show)
        return;
    if (m_show(number))
        return;
    // Cancelled, or the item could not be shown: the list goes back to the item shown.
    ListBox1->selectionModel()->select(current, QItemSelectionModel::Deselect);
    const int shown = m_collection.currentItem();
    setCurrentEntry(shown - 1, shown >= 1);
}

void TForm3::BitBtn1Click()
{
    Guarded(m_prompts, this, [this] {
        ListBox1->setFocus();
        const QModelIndex current = ListBox1->currentIndex();
        const FileStamp stamp = FileStamp::of(m_collection.fileName());
        if (m_search.isEmpty() || m_searchFile != m_collection.fileName() ||
            m_searchStamp != stamp) {
            m_search = SearchText(m_collection.collection());
            m_searchFile = m_collection.fileName();
            m_searchStamp = stamp;
        }
        const int line = m_search.findNextLine(m_collection.collection(), Edit1->text(),
                                               current.isValid() ? current.row() : -1);
        if (line < 0)
            throw Failure::refusal(kNotFound);
        // Showing the item makes its entry the current one, so the next press goes on after it.
        if (m_show)
            m_show(line / kItemLines);
    });
}

void TForm3::BitBtn2Click()
{
    clearAllSelections();
}

QList<int> TForm3::selectedNumbers() const
{
    QList<int> numbers;
    const int count = m_collection.itemCount();
    for (const QItemSelectionRange& range : ListBox1->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom() && row < count; ++row)
            numbers << row + 1;
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

void CopyItemsToCollection(Prompts& prompts, QWidget* parent, const OpenCollection& collection,
                           const QList<int>& numbers)
{
    if (numbers.isEmpty())
        return;
    const QString name = prompts.copyTargetFileName(parent);
    if (name.isEmpty())
        return;
    if (ExportItems(prompts, parent, collection, name, numbers))
        return;
    if (collection.isOpenFile(name))
        throw Failure::refusal(kChooseAnother);
    collection.appendItemsToFile(name, numbers);
}

void TForm3::BitBtn3Click()
{
    Guarded(m_prompts, this,
            [this] { CopyItemsToCollection(m_prompts, this, m_collection, selectedNumbers()); });
}

void TForm3::closeList()
{
    if (m_choicePending)
        ListBox1Click();
    hide();
}

void TForm3::hideEvent(QHideEvent* event)
{
    // A large collection's text is not kept while nobody searches it.
    m_search = SearchText();
    QWidget::hideEvent(event);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListBox1 && IsEnterPress(event)) {
        closeList();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vexil
