#include "app/idgr.h"

#include "app/guard.h"

#include "app/boardview.h"
#include "app/controls.h"
#include "app/fairy.h"
#include "app/palette.h"
#include "app/prompts.h"
#include "model/failure.h"
#include "model/fairytext.h"
#include "model/vocabulary.h"
#include "settings/option.h"
#include "views/list.h"

#include <QAbstractTextDocumentLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolButton>

namespace vexil {
namespace {

const QString kNoCollection = QStringLiteral("OPEN COLLECTION !!!");
const QString kBrowse = QStringLiteral("Browse");
const QString kEdit = QStringLiteral("Edit");
const QString kSaveAllChanges = QStringLiteral("Save all changes?");

// The window is laid out for the wider fonts of today's desktops.
constexpr int kWidth = 536;
constexpr int kMemoWidth = 284;

QString itemsText(int count)
{
    return QString::number(count) + QStringLiteral(" items");
}

QLabel* fieldLabel(const QString& text, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QComboBox* fieldCombo(const char* name, const QStringList& items, int visible, QWidget* parent)
{
    QComboBox* combo = ChoiceList(name, items, parent);
    combo->setMaxVisibleItems(visible);
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
    return combo;
}

QPlainTextEdit* memo(const char* name, QWidget* parent)
{
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // A scroll bar that came and went would move every wrap.
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return edit;
}

// The small picture beside the status bar: a row of figures on alternating squares.
QPixmap statusPicture(qreal dpr)
{
    const QSize size(171, 16);
    QPixmap pixmap(size * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    static constexpr int figures[] = {11, 10, 3, 8, 5, 2, 13, 16, 19, 12};
    for (int i = 0; i < 10; ++i) {
        const QRect square(i * 17, 0, 16, 16);
        p.fillRect(square, i % 2 ? QColor(0xB5, 0x88, 0x63) : QColor(0xF0, 0xD9, 0xB5));
        p.drawImage(square, PictureSet::render(figures[i], 16, dpr));
    }
    return pixmap;
}

} // namespace

QStringList VisibleLines(const QPlainTextEdit* memo)
{
    QStringList lines;
    const QTextDocument* document = memo->document();
    if (document->isEmpty())
        return lines;
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        layout->blockBoundingRect(block); // lays the block out if it is not yet
        const QString text = block.text();
        const QTextLayout* lineLayout = block.layout();
        if (!lineLayout || lineLayout->lineCount() <= 1) {
            lines << text;
            continue;
        }
        for (int i = 0; i < lineLayout->lineCount(); ++i) {
            const QTextLine line = lineLayout->lineAt(i);
            lines << text.mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

TForm1::TForm1(Prompts& prompts, const Settings& settings, const QString& pictureFolder,
               QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_prompts(prompts), m_settings(settings), m_pictures(devicePixelRatioF())
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Vexil"));
    buildWindow();
    m_board.clear();
    m_editing = false;
    StatusPanel[1]->setText(itemsText(0));
    StatusPanel[2]->setText(kBrowse);
    LoadFairyPictures(pictureFolder, m_pictures, m_fairyPictures);
}

TForm1::~TForm1() = default;

QToolButton* TForm1::toolButton(const char* name, const QString& caption, const QString& hint)
{
    auto* button = new QToolButton(centralWidget());
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void TForm1::buildWindow()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);

    // Toolbar.
    struct Tool {
        QToolButton** button;
        const char* name;
        const char* caption;
        const char* hint;
        const char* icon = "";
    };
    const Tool tools[] = {
        {&SpeedButton7, "SpeedButton7", "Open", "Open collection", "open"},
        {&SpeedButton8, "SpeedButton8", "Save", "Save collection", "save"},
        {&SpeedButton9, "SpeedButton9", "Cancel", "Cancel update", "cancel"},
        {&SpeedButton10, "SpeedButton10", "New", "New item", "new"},
        {&SpeedButton11, "SpeedButton11", "Delete", "Delete item", "delete"},
        {&SpeedButton12, "SpeedButton12", "Change", "Change number of item", "change"},
        {&SpeedButton14, "SpeedButton14", "Copy", "Copy item to collection", "copy"},
        {&SpeedButton21, "SpeedButton21", "Print", "Print item", "print"},
        {&SpeedButton13, "SpeedButton13", "Options", "Options", "options"},
        {&SpeedButton1, "SpeedButton1", "Export", "Copy item to Clipboard", "export"},
        {&SpeedButton15, "SpeedButton15", "Solve", "Popeye", "solve"},
    };
    int x = 4;
    for (const Tool& tool : tools) {
        *tool.button = toolButton(tool.name, QLatin1String(tool.caption), QLatin1String(tool.hint));
        (*tool.button)->setGeometry(x, 2, 47, 42);
        (*tool.button)->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        QFont small = (*tool.button)->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        (*tool.button)->setFont(small);
        (*tool.button)->setIconSize(QSize(20, 20));
        (*tool.button)->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(tool.icon))));
        x += 48;
    }
    auto* rule = new QFrame(central);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    rule->setGeometry(0, 45, kWidth, 2);
    SpeedButton8->setEnabled(false);
    SpeedButton10->setEnabled(false);
    SpeedButton14->setEnabled(false);

    // Board, transformations and palette.
    DrawGrid1 = new BoardView(m_board, m_pictures, m_fairyPictures, m_settings, central);
    DrawGrid1->move(6, 54);
    struct Transform {
        const char* name;
        const char* hint;
        const char* icon;
        Transformation transformation;
    };
    const Transform transforms[] = {
        {"SpeedButton17", "Move left", "left", Transformation::MoveLeft},
        {"SpeedButton16", "Move up", "up", Transformation::MoveUp},
        {"SpeedButton20", "Move down", "down", Transformation::MoveDown},
        {"SpeedButton18", "Move right", "right", Transformation::MoveRight},
        {"SpeedButton19", "Rotation", "rotate", Transformation::Rotation},
        {"SpeedButton22", "Vertical mirror", "mirror-vertical", Transformation::VerticalMirror},
        {"SpeedButton24", "Horizontal mirror", "mirror-horizontal", Transformation::HorizontalMirror},
        {"SpeedButton25", "Exchange colors", "exchange", Transformation::ExchangeColors},
        {"SpeedButton27", "Clear diagram", "clear", Transformation::Clear},
    };
    x = 6;
    for (const Transform& t : transforms) {
        QToolButton* button = toolButton(t.name, QString(), QLatin1String(t.hint));
        button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(t.icon))));
        button->setIconSize(QSize(19, 19));
        button->setGeometry(x, 279, 25, 25);
        transformButtons << button;
        connect(button, &QToolButton::clicked, this,
                [this, tr = t.transformation] { transform(tr); });
        x += 25;
    }
    ListBox1 = new Palette(m_pictures, m_settings, central);
    ListBox1->move(6, 308);

    auto* logo = new QLabel(central);
    logo->setPixmap(statusPicture(devicePixelRatioF()));
    logo->setGeometry(6, 398, 171, 16);
    auto* version = new QLabel(QStringLiteral("Vexil 2.9"), central);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    version->setGeometry(6, 380, 120, 16);

    // Navigation.
    const int right = 238;
    const Tool navigation[] = {
        {&SpeedButton2, "SpeedButton2", "|<", "First item"},
        {&SpeedButton3, "SpeedButton3", "<", "Previous item"},
        {&SpeedButton4, "SpeedButton4", ">", "Next item"},
        {&SpeedButton5, "SpeedButton5", ">|", "Last item"},
    };
    x = right;
    for (const Tool& tool : navigation) {
        *tool.button = toolButton(tool.name, QLatin1String(tool.caption), QLatin1String(tool.hint));
        (*tool.button)->setAutoRaise(false);
        (*tool.button)->setGeometry(x, 54, 30, 24);
        x += 31;
    }
    Edit3 = new QLineEdit(central);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setMaxLength(4);
    Edit3->setToolTip(QStringLiteral("Go to item"));
    Edit3->setGeometry(x + 6, 54, 60, 24);
    SpeedButton6 = toolButton("SpeedButton6", QStringLiteral("Go"), QStringLiteral("Go to item"));
    SpeedButton6->setAutoRaise(false);
    SpeedButton6->setGeometry(x + 70, 54, 34, 24);

    SpeedButton23 = toolButton("SpeedButton23", QStringLiteral("View list"),
                               QStringLiteral("View list"));
    SpeedButton23->setAutoRaise(false);
    SpeedButton23->setGeometry(right, 84, 140, 24);
    SpeedButton26 = toolButton("SpeedButton26", QStringLiteral("List of diagrams"),
                               QStringLiteral("List of diagrams"));
    SpeedButton26->setAutoRaise(false);
    SpeedButton26->setGeometry(right + 146, 84, 146, 24);

    // The item's fields.
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    PageControl1->setGeometry(right - 2, 114, kWidth - right - 2, 298);
    PageControl1->addTab(buildItemTab(), QStringLiteral("Item"));
    PageControl1->addTab(buildTwinTab(), QStringLiteral("Twin"));
    PageControl1->addTab(buildSolutionTab(), QStringLiteral("Solution"));
    PageControl1->addTab(buildFairyTab(), QStringLiteral("Fairy pieces"));

    for (QLineEdit* edit : {Edit1})
        connect(edit, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
    for (QComboBox* combo : {ComboBox4, ComboBox1, ComboBox2})
        connect(combo, &QComboBox::editTextChanged, this, &TForm1::Edit1Change);
    for (QPlainTextEdit* edit : {Memo2, Memo1})
        connect(edit, &QPlainTextEdit::textChanged, this, &TForm1::Edit1Change);
    connect(Memo2, &QPlainTextEdit::textChanged, this, [this] {
        if (!Memo2->document()->isEmpty())
            m_twinsEmptyLine = false;
        // The "Twin" label follows the twins.
        Label10->setEnabled(!Memo2->document()->isEmpty() || m_twinsEmptyLine);
    });

    connect(DrawGrid1, &BoardView::pressed, this, &TForm1::DrawGrid1MouseDown);
    connect(DrawGrid1, &BoardView::dropped, this, &TForm1::DrawGrid1DragDrop);
    connect(DrawGrid1, &BoardView::dragEnded, this, &TForm1::DrawGrid1EndDrag);
    connect(ListBox1, &Palette::dragEnded, this, &TForm1::DrawGrid1EndDrag);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TForm1::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TForm1::SpeedButton6Click);
    connect(Edit3, &QLineEdit::returnPressed, this, &TForm1::SpeedButton6Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &TForm1::SpeedButton7Click);
    connect(SpeedButton8, &QToolButton::clicked, this, &TForm1::SpeedButton8Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TForm1::SpeedButton9Click);
    connect(SpeedButton10, &QToolButton::clicked, this, &TForm1::SpeedButton10Click);
    connect(SpeedButton11, &QToolButton::clicked, this, &TForm1::SpeedButton11Click);
    connect(SpeedButton12, &QToolButton::clicked, this, &TForm1::SpeedButton12Click);
    connect(SpeedButton13, &QToolButton::clicked, this, &TForm1::SpeedButton13Click);

    // Status bar: collection, item count, state.
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const int widths[] = {360, 70, 50};
    for (int i = 0; i < 3; ++i) {
        StatusPanel[i] = new QLabel(bar);
        StatusPanel[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanel[i]->setFixedWidth(widths[i]);
        StatusPanel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        StatusPanel[i]->setStyleSheet(QStringLiteral("color: red;"));
        bar->addWidget(StatusPanel[i]);
    }
    StatusPanel[0]->setText(kNoCollection);

    central->setFixedSize(kWidth, 418);
    setFixedSize(kWidth, 418 + bar->sizeHint().height());
}

QWidget* TForm1::buildItemTab()
{
    auto* page = new QWidget;
    fieldLabel(QStringLiteral("Author"), page, 6, 6);
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(6, 22, 280, 24);

    fieldLabel(QStringLiteral("Source"), page, 6, 52);
    ComboBox4 = fieldCombo("ComboBox4", SourceVocabulary(), 22, page);
    ComboBox4->setGeometry(6, 68, 280, 24);

    fieldLabel(QStringLiteral("Stipulation"), page, 6, 98);
    ComboBox1 = fieldCombo("ComboBox1", StipulationVocabulary(), 12, page);
    ComboBox1->setGeometry(6, 114, 140, 24);

    fieldLabel(QStringLiteral("Condition"), page, 6, 144);
    ComboBox2 = fieldCombo("ComboBox2", ConditionVocabulary(), 13, page);
    ComboBox2->setGeometry(6, 160, 280, 24);

    Label10 = new QLabel(QStringLiteral("Twin"), page);
    Label10->setObjectName(QStringLiteral("Label10"));
    QFont bold = Label10->font();
    bold.setBold(true);
    Label10->setFont(bold);
    Label10->setGeometry(6, 196, 60, 18);
    Label10->setEnabled(false);

    Label3 = new QLabel(QStringLiteral("( 0 + 0 )"), page);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3->setFont(bold);
    Label3->setGeometry(146, 196, 140, 18);
    return page;
}

QWidget* TForm1::buildTwinTab()
{
    auto* page = new QWidget;
    Memo2 = memo("Memo2", page);
    Memo2->setGeometry(4, 4, kMemoWidth, 196);
    fieldLabel(QStringLiteral("Select"), page, 6, 208);
    ComboBox3 = ChoiceList("ComboBox3", TwinTemplates(), page);
    ComboBox3->setMaxVisibleItems(13);
    ComboBox3->setCurrentIndex(-1);
    ComboBox3->setEditText(QString());
    ComboBox3->setGeometry(4, 224, 220, 24);
    BitBtn1 = new QPushButton(QStringLiteral("Add"), page);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(228, 224, 60, 24);
    return page;
}

QWidget* TForm1::buildSolutionTab()
{
    auto* page = new QWidget;
    Memo1 = memo("Memo1", page);
    Memo1->setGeometry(4, 4, kMemoWidth, 262);
    return page;
}

QWidget* TForm1::buildFairyTab()
{
    auto* page = new QWidget;
    Memo3 = memo("Memo3", page);
    Memo3->setGeometry(4, 4, kMemoWidth, 196);
    Button1 = new QPushButton(QStringLiteral("Show / Refresh"), page);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(4, 206, 120, 26);
    auto* except = fieldLabel(QStringLiteral("Except: neutral KQRBSP"), page, 6, 238);
    except->setObjectName(QStringLiteral("Label12"));
    return page;
}

void TForm1::guarded(const std::function<void()>& body)
{
    Guarded(m_prompts, this, body);
}

void TForm1::EnterEditState()
{
    if (m_currentNumber > 0) {
        m_editing = true;
        StatusPanel[2]->setText(kEdit);
    }
    UpdatePieceCount();
}

void TForm1::UpdatePieceCount()
{
    Label3->setText(PieceCountText(m_board));
}

void TForm1::Edit1Change()
{
    EnterEditState();
}

int TForm1::FindItemLine(int number) const
{
    return m_collection.FindItemLine(number);
}

void TForm1::ConfirmSaveChanges()
{
    if (!m_editing)
        return;
    switch (m_prompts.confirmYesNoCancel(this, kSaveAllChanges)) {
    case Prompts::Answer::Yes: saveItem(); break;
    case Prompts::Answer::No: break;
    case Prompts::Answer::Cancel: throw Abandon();
    }
}

void TForm1::emptyFields()
{
    Edit1->clear();
    ComboBox4->setEditText(QString());
    Edit3->clear();
    Memo1->clear();
    Memo2->clear();
    Memo3->clear();
    ComboBox1->setEditText(QString());
    ComboBox2->setEditText(QString());
    ComboBox3->setEditText(QString());
    m_twinsEmptyLine = false;
}

void TForm1::ShowItem(int number, int headerLine)
{
    if (headerLine < 0)
        throw Abandon();
    // Read first: a malformed item is reported and leaves the window as it was, so that a
    // later Save cannot write one item's fields into another item's lines.
    const Item item = m_collection.readItem(headerLine);
    m_currentNumber = number;
    m_currentLine = headerLine;
    m_board = item.board;
    DrawGrid1->update();
    Edit3->setText(QString::number(number));
    Edit1->setText(item.author);
    ComboBox4->setEditText(item.source);
    Memo2->clear();
    Memo3->clear();
    ComboBox2->setEditText(QString());
    ComboBox3->setEditText(QString());
    Label10->setEnabled(false);
    ComboBox1->setEditText(item.stipulation);
    if (!item.condition.isEmpty())
        ComboBox2->setEditText(item.condition);
    if (!item.twins.isEmpty()) {
        Label10->setEnabled(true);
        Memo2->setPlainText(item.twins.join(QLatin1Char('\n')));
    }
    m_twinsEmptyLine = item.twins == QStringList{QString()};
    Label10->setEnabled(!item.twins.isEmpty());
    Memo1->setPlainText(item.solution.join(QLatin1Char('\n')));
    m_editing = false;
    StatusPanel[2]->setText(kBrowse);
    UpdatePieceCount();
    markInList();
}

void TForm1::markInList()
{
    if (!m_list)
        return;
    if (!m_list->isActiveListWindow())
        m_list->clearAllSelections();
    m_list->selectEntry(m_currentNumber - 1);
}

Item TForm1::fieldsItem() const
{
    Item item;
    item.board = m_board;
    item.author = Edit1->text();
    item.source = ComboBox4->currentText();
    item.stipulation = ComboBox1->currentText();
    item.condition = ComboBox2->currentText();
    item.twins = VisibleLines(Memo2);
    if (item.twins.isEmpty() && m_twinsEmptyLine)
        item.twins << QString();
    item.solution = VisibleLines(Memo1);
    return item;
}

QString TForm1::entryText(int number) const
{
    return QString::number(number);
}

void TForm1::saveItem()
{
    // With no item shown there is nothing to write, and the header item must stay empty.
    if (m_currentNumber <= 0)
        return;
    const Item item = StorableItem(fieldsItem());
    const Collection before = m_collection;
    m_collection.writeItem(m_currentLine, item);
    // On failure the fields keep the user's edits and the window stays in Edit.
    writeCollection(before);
    StatusPanel[2]->setText(kBrowse);
    m_editing = false;
    ShowItem(m_currentNumber, m_currentLine);
}

void TForm1::SpeedButton8Click()
{
    guarded([this] { saveItem(); });
}

void TForm1::SpeedButton7Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        const QString name = m_prompts.openFileName(
            this, QStringLiteral("Open or create collection"),
            QStringLiteral("File DGR|*.dgr|File PBM|*.pbm|All Files|*.*"), QStringLiteral("dgr"));
        if (name.isEmpty())
            return;
        openCollection(name);
    });
}

void TForm1::openNamedCollection(const QString& name)
{
    guarded([&] { openCollection(name); });
}

void TForm1::closeCollection()
{
    m_collection = Collection();
    m_collectionFileName.clear();
    m_currentNumber = 0;
    m_currentLine = 0;
    m_itemCount = 0;
    m_board.clear();
    emptyFields();
    DrawGrid1->update();
}

void TForm1::showNoCollection()
{
    StatusPanel[0]->setText(kNoCollection);
    StatusPanel[1]->setText(itemsText(0));
    StatusPanel[2]->setText(kBrowse);
    m_editing = false;
    for (QToolButton* button : {SpeedButton8, SpeedButton10, SpeedButton14})
        button->setEnabled(false);
    UpdatePieceCount();
    if (m_list)
        m_list->RefillList(0, 0);
}

void TForm1::openCollection(QString name)
{
    if (QFileInfo(name).suffix().toLower() == QLatin1String("pbm")) {
        const std::optional<QString> written = m_importPbm ? m_importPbm(this, name)
                                                           : std::nullopt;
        if (!written)
            return;
        name = *written;
    }
    closeCollection();
    const QString fullName = QFileInfo(name).absoluteFilePath();
    try {
        if (QFileInfo::exists(fullName))
            m_collection = Collection::fromFile(fullName);
        if (m_collection.isEmpty()) {
            m_collection = Collection::newCollection();
            m_itemCount = 1;
            m_collection.write(fullName);
        } else {
            m_itemCount = m_collection.itemCount();
        }
    } catch (const Failure&) {
        // Whatever failed, no collection is open now; say so rather than show the old one.
        m_collection = Collection();
        m_itemCount = 0;
        showNoCollection();
        throw;
    }
    m_collectionFileName = fullName;
    StatusPanel[0]->setText(m_collectionFileName);
    showItemCount();
    for (QToolButton* button : {SpeedButton8, SpeedButton10, SpeedButton14})
        button->setEnabled(true);
    if (m_list)
        m_list->RefillList(m_itemCount, 0);
    ShowItem(1, FindItemLine(1));
}

void TForm1::showItemCount()
{
    StatusPanel[1]->setText(itemsText(m_itemCount));
    // Four digits, or as many as the largest item number needs: a collection of 100,000
    // items must be able to show and go to item 100000.
    Edit3->setMaxLength(qMax(4, int(QString::number(m_itemCount).size())));
    const int wanted = StatusPanel[1]->fontMetrics().horizontalAdvance(StatusPanel[1]->text()) + 8;
    StatusPanel[1]->setFixedWidth(qMax(70, wanted));
}

void TForm1::showNumber(int number)
{
    ShowItem(number, FindItemLine(number));
}

void TForm1::writeCollection(const Collection& before)
{
    try {
        m_collection.write(m_collectionFileName);
    } catch (const Failure&) {
        m_collection = before;
        throw;
    }
}

void TForm1::SpeedButton2Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        if (m_itemCount > 0)
            showNumber(1);
    });
}

void TForm1::SpeedButton3Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        if (m_currentNumber > 1)
            showNumber(m_currentNumber - 1);
    });
}

void TForm1::SpeedButton4Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        if (m_currentNumber < m_itemCount)
            showNumber(m_currentNumber + 1);
    });
}

void TForm1::SpeedButton5Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        // A collection of only the header item has no last item to show.
        if (m_itemCount > 0)
            showNumber(m_itemCount);
    });
}

void TForm1::SpeedButton6Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        const int number = ToInteger(Edit3->text());
        if (number < 1 || number > m_itemCount) {
            m_prompts.message(this, QStringLiteral("False number!"));
            throw Abandon();
        }
        showNumber(number);
    });
}

void TForm1::SpeedButton9Click()
{
    guarded([this] {
        // Never the header item: with no item shown there is nothing to cancel.
        if (m_currentNumber > 0)
            showNumber(m_currentNumber);
    });
}

void TForm1::SpeedButton10Click()
{
    guarded([this] {
        ConfirmSaveChanges();
        const Collection before = m_collection;
        m_collection.appendEmptyItem();
        writeCollection(before);
        ++m_itemCount;
        const QString author = Edit1->text();
        if (m_list)
            m_list->RefillList(m_itemCount, m_currentNumber);
        showNumber(m_itemCount);
        PageControl1->setCurrentIndex(0);
        showItemCount();
        Edit1->setText(author);
        Edit1->setFocus();
        Edit1->selectAll();
    });
}

void TForm1::SpeedButton11Click()
{
    guarded([this] {
        if (m_itemCount <= 1) {
            m_prompts.message(this, QStringLiteral("Last item!"));
            throw Abandon();
        }
        if (m_currentNumber < 1)
            return; // an item that could not be read was never shown
        if (!m_prompts.confirmOkCancel(this, QStringLiteral("Delete item?")))
            return;
        const Collection before = m_collection;
        m_collection.removeItem(m_currentLine / kItemLines);
        writeCollection(before);
        --m_itemCount;
        m_currentNumber = qMin(m_currentNumber, m_itemCount);
        if (m_list)
            m_list->RefillList(m_itemCount, m_currentNumber);
        showNumber(m_currentNumber);
        showItemCount();
    });
}

void TForm1::SpeedButton12Click()
{
    guarded([this] {
        if (m_itemCount < 2 || m_currentNumber < 1)
            return;
        ConfirmSaveChanges();
        const std::optional<QString> answer = m_prompts.inputText(
            this, QStringLiteral("Change number of item"),
            QStringLiteral("Enter new number (from 1 to %1)").arg(m_itemCount), QString());
        if (!answer || answer->isEmpty())
            return;
        const int target = ToInteger(*answer);
        if (target < 1 || target > m_itemCount || target == m_currentNumber)
            return;
        const int targetLine = FindItemLine(target);
        const Collection before = m_collection;
        m_collection.moveItem(m_currentLine / kItemLines, targetLine / kItemLines);
        writeCollection(before);
        if (m_list)
            m_list->RefillList(m_itemCount, m_currentNumber);
        ShowItem(target, targetLine);
    });
}

void TForm1::SpeedButton13Click()
{
    // New square colours show at once.
    if (m_options && m_options->exec() == QDialog::Accepted)
        DrawGrid1->update();
}

void TForm1::Button1Click()
{
    Memo3->setPlainText(FairyPiecesText(m_board).join(QLatin1Char('\n')));
}

void TForm1::BitBtn1Click()
{
    const QString twin = ComboBox3->currentText();
    if (twin.isEmpty())
        return;
    Memo2->appendPlainText(twin);
}

void TForm1::transform(Transformation transformation)
{
    m_board = Transformed(m_board, transformation);
    DrawGrid1->update();
    EnterEditState();
}

PieceCode TForm1::placementCode() const
{
    const int entry = ListBox1->selectedEntry();
    if (piece::isFairyBase(entry + 1))
        return m_fairy ? m_fairy->fairyCode(entry + 1) : FairyCode(entry + 1, 0, 0);
    return entry + 1;
}

void TForm1::DrawGrid1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons,
                                Qt::KeyboardModifiers modifiers, QPoint client)
{
    int row = 0, column = 0;
    if (!BoardView::squareAt(client, row, column))
        return;
    bool place = false;
    if (button == Qt::RightButton) {
        if (m_board.at(row, column) != 0) {
            m_board.at(row, column) = 0;
            DrawGrid1->update();
            EnterEditState();
            return;
        }
        place = true;
    } else if (button == Qt::LeftButton && buttons == Qt::LeftButton &&
               modifiers == Qt::ControlModifier) {
        place = true;
    }
    // The left button alone starts a drag from the board; nothing else edits.
    if (!place)
        return;
    m_board.at(row, column) = placementCode();
    DrawGrid1->update();
    EnterEditState();
}

void TForm1::DrawGrid1DragDrop(DragSource source, QPoint client)
{
    int row = 0, column = 0;
    if (BoardView::squareAt(client, row, column)) {
        if (source == DragSource::Board) {
            const int fromRow = DrawGrid1->currentRow(), fromColumn = DrawGrid1->currentColumn();
            const PieceCode code = m_board.at(fromRow, fromColumn);
            m_board.at(row, column) = code;
            if (row != fromRow || column != fromColumn)
                m_board.at(fromRow, fromColumn) = 0;
        } else {
            const int entry = ListBox1->selectedEntry();
            if (piece::isFairyBase(entry + 1)) {
                // The dialog comes once the drag is over, outside the drag's own loop.
                m_pendingFairyDrop = {row, column, entry + 1};
                return;
            }
            m_board.at(row, column) = entry + 1;
        }
    }
    // Also after a drop on the piece's own square.
    EnterEditState();
}

void TForm1::DrawGrid1EndDrag()
{
    if (const std::optional<FairyDrop> drop = std::exchange(m_pendingFairyDrop, std::nullopt)) {
        if (m_fairy && m_fairy->exec() == QDialog::Accepted)
            m_board.at(drop->row, drop->column) = m_fairy->fairyCode(drop->base);
        EnterEditState(); // after Cancel too
    }
    DrawGrid1->update();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool close = false;
    guarded([&] {
        ConfirmSaveChanges();
        close = true;
    });
    if (close)
        event->accept();
    else
        event->ignore();
}

} // namespace vexil
