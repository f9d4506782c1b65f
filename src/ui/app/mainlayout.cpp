// The main window's controls: where each stands, its caption and hint, and which handler
// it calls. The handlers themselves are in idgr.cpp.
#include "app/idgr.h"

#include "app/boardkeys.h"
#include "app/boardview.h"
#include "app/controls.h"
#include "app/mainarea.h"
#include "app/palette.h"
#include "app/replay.h"
#include "app/undo.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

namespace vexil {
namespace {

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

QToolButton* TForm1::toolButton(const char* name, const QString& caption, const QString& hint)
{
    auto* button = new QToolButton(centralWidget());
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    // Reached with Tab, but a click leaves the keyboard where it was.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

void TForm1::buildWindow()
{
    auto* central = new MainArea(this);
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
        {&PublishButton, "PublishButton", "Publish", "Publish as LaTeX, PDF booklet or SVG",
         "publish"},
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
        (*tool.button)
            ->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(tool.icon))));
        x += 48;
    }
    auto* rule = new QFrame(central);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    rule->setGeometry(0, 45, MainArea::kSmallest.width(), 2);
    SpeedButton8->setEnabled(false);
    SpeedButton10->setEnabled(false);
    SpeedButton14->setEnabled(false);

    // Board, transformations and palette.
    DrawGrid1 = new BoardView(m_board, m_pictures, m_fairyPictures, m_settings, central);
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
        {"SpeedButton24", "Horizontal mirror", "mirror-horizontal",
         Transformation::HorizontalMirror},
        {"SpeedButton25", "Exchange colors", "exchange", Transformation::ExchangeColors},
        {"SpeedButton27", "Clear diagram", "clear", Transformation::Clear},
    };
    x = 6;
    for (const Transform& t : transforms) {
        QToolButton* button = toolButton(t.name, QString(), QLatin1String(t.hint));
        button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(t.icon))));
        button->setIconSize(QSize(19, 19));
        button->resize(25, 25);
        button->setAccessibleName(QLatin1String(t.hint));
        transformButtons << button;
        connect(button, &QToolButton::clicked, this,
                [this, tr = t.transformation] { transform(tr); });
        x += 25;
    }
    ListBox1 = new Palette(m_pictures, m_settings, central);
    ListBox1->setAccessibleName(QStringLiteral("Pieces"));

    auto* logo = new QLabel(central);
    logo->setPixmap(statusPicture(devicePixelRatioF()));
    logo->resize(171, 16);
    auto* version = new QLabel(QStringLiteral("Vexil 2.9"), central);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    version->resize(120, 16);

    // Navigation, above the item's fields.
    auto* fields = new QWidget(central);
    auto* column = new QVBoxLayout(fields);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(2, 0, 0, 0);
    row->setSpacing(0);
    column->addLayout(row);
    const Tool navigation[] = {
        {&SpeedButton2, "SpeedButton2", "|<", "First item"},
        {&SpeedButton3, "SpeedButton3", "<", "Previous item"},
        {&SpeedButton4, "SpeedButton4", ">", "Next item"},
        {&SpeedButton5, "SpeedButton5", ">|", "Last item"},
    };
    for (const Tool& tool : navigation) {
        *tool.button = toolButton(tool.name, QLatin1String(tool.caption), QLatin1String(tool.hint));
        (*tool.button)->setAutoRaise(false);
        (*tool.button)->setFixedSize(30, 24);
        row->addWidget(*tool.button);
        row->addSpacing(&tool == &navigation[3] ? 7 : 1);
    }
    Edit3 = new QLineEdit(central);
    Edit3->setAccessibleName(QStringLiteral("Go to item"));
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setMaxLength(4);
    Edit3->setToolTip(QStringLiteral("Go to item"));
    Edit3->setFixedSize(60, 24);
    row->addWidget(Edit3);
    row->addSpacing(4);
    SpeedButton6 = toolButton("SpeedButton6", QStringLiteral("Go"), QStringLiteral("Go to item"));
    SpeedButton6->setAutoRaise(false);
    SpeedButton6->setFixedSize(34, 24);
    row->addWidget(SpeedButton6);
    row->addSpacing(6);
    SearchButton = toolButton("SearchButton", QStringLiteral("Search"),
                              QStringLiteral("Search collections (Ctrl+F)"));
    SearchButton->setAutoRaise(false);
    isNewButton = toolButton("isNewButton", QStringLiteral("Is it new?"),
                             QStringLiteral("Is this position in a collection already?"));
    isNewButton->setAutoRaise(false);
    // Search and "Is it new?" share the rest of the navigation row.
    ShareRow(SearchButton, 80)->setFixedHeight(24);
    ShareRow(isNewButton, 80)->setFixedHeight(24);
    row->addWidget(SearchButton, 1);
    row->addSpacing(4);
    row->addWidget(isNewButton, 1);

    row = new QHBoxLayout;
    row->setContentsMargins(2, 0, 0, 0);
    row->setSpacing(6);
    column->addLayout(row);
    SpeedButton23 =
        toolButton("SpeedButton23", QStringLiteral("View list"), QStringLiteral("View list"));
    SpeedButton23->setAutoRaise(false);
    SpeedButton23->setFixedSize(140, 24);
    SpeedButton26 = toolButton("SpeedButton26", QStringLiteral("List of diagrams"),
                               QStringLiteral("List of diagrams"));
    SpeedButton26->setAutoRaise(false);
    SpeedButton26->setFixedSize(146, 24);
    row->addWidget(SpeedButton23);
    row->addWidget(SpeedButton26);
    row->addStretch();

    // The item's fields.
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    PageControl1->setMinimumSize(400, 298);
    column->addWidget(PageControl1, 1);
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
        m_editor.twinsChanged(Memo2->document()->isEmpty());
        // The "Twin" label follows the twins.
        Label10->setEnabled(m_editor.hasTwins(Memo2->document()->isEmpty()));
    });

    // The replay: a banner over the transformation buttons (nothing is transformed while a
    // replayed position is shown) and the twin buttons over the version label.
    ReplayBanner = new QLabel(central);
    ReplayBanner->setObjectName(QStringLiteral("ReplayBanner"));
    ReplayBanner->resize(BoardView::sideFor(BoardView::kCell), 25);
    const QColor tint = BoardView::replayTint();
    ReplayBanner->setStyleSheet(
        QStringLiteral("QLabel { background: %1; color: black; border: 2px solid %2; "
                       "padding-left: 3px; font-weight: bold; }")
            .arg(tint.lighter(185).name(), tint.name()));
    TwinBar = new QWidget(central);
    TwinBar->setObjectName(QStringLiteral("TwinBar"));
    TwinBar->setAccessibleName(QStringLiteral("Twins"));
    TwinBar->setAutoFillBackground(true);
    TwinBar->resize(BoardView::sideFor(BoardView::kCell), 20);
    m_replay = new SolutionReplay(
        DrawGrid1, Memo1, ReplayBanner, TwinBar, [this] { return typedItem(); }, this);
    for (QPlainTextEdit* edit : {Memo2, Memo1})
        connect(edit, &QPlainTextEdit::textChanged, m_replay, &SolutionReplay::itemChanged);
    for (QComboBox* combo : {ComboBox1, ComboBox2})
        connect(combo, &QComboBox::editTextChanged, m_replay, &SolutionReplay::itemChanged);

    m_history = new EditHistory(m_board, this);
    m_history->watch(Edit1);
    for (QComboBox* combo : {ComboBox4, ComboBox1, ComboBox2})
        m_history->watch(combo);
    for (QPlainTextEdit* edit : {Memo2, Memo1})
        m_history->watch(edit);
    connect(m_history, &EditHistory::stepped, this, &TForm1::historyStepped);

    PieceLine1 = new PieceLine(central);
    connect(PieceLine1, &PieceLine::entered, this, &TForm1::placeTypedPieces);
    connect(PieceLine1, &PieceLine::escaped, this, [this] {
        PieceLine1->hide();
        DrawGrid1->setFocus();
    });
    connect(DrawGrid1, &BoardView::placeKeyPressed, this, &TForm1::DrawGrid1KeyPlace);
    connect(DrawGrid1, &BoardView::emptyKeyPressed, this, &TForm1::DrawGrid1KeyEmpty);
    connect(DrawGrid1, &BoardView::typingStarted, this, &TForm1::DrawGrid1Typing);
    connect(DrawGrid1, &BoardView::copyPositionPressed, this, &TForm1::copyPosition);
    connect(DrawGrid1, &BoardView::pastePositionPressed, this, &TForm1::pastePosition);
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
    connect(SpeedButton14, &QToolButton::clicked, this, &TForm1::SpeedButton14Click);

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

    central->setParts({.rule = rule,
                       .board = DrawGrid1,
                       .tools = transformButtons,
                       .banner = ReplayBanner,
                       .pieceLine = PieceLine1,
                       .palette = ListBox1,
                       .version = version,
                       .twinBar = TwinBar,
                       .logo = logo,
                       .fields = fields});
    // The window opens at its smallest; a remembered size is applied by the program.
    resize(central->minimumSizeHint() + QSize(0, bar->sizeHint().height()));
    // Where the window first opens; a stored layout moves it later.
    move(WindowLayout().main);
    installShortcuts();
    orderTabs();
}

void TForm1::installShortcuts()
{
    // The buttons' keys click the buttons, so that they ask what the buttons ask and do
    // nothing while a button is disabled. Navigation takes Alt, which no text field uses.
    const std::pair<QToolButton*, QKeySequence> keys[] = {
        {SpeedButton7, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {SpeedButton8, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {SpeedButton10, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {SpeedButton2, QKeySequence(Qt::ALT | Qt::Key_Home)},
        {SpeedButton3, QKeySequence(Qt::ALT | Qt::Key_PageUp)},
        {SpeedButton4, QKeySequence(Qt::ALT | Qt::Key_PageDown)},
        {SpeedButton5, QKeySequence(Qt::ALT | Qt::Key_End)},
        {SpeedButton15, QKeySequence(Qt::Key_F9)},
        {isNewButton, QKeySequence(Qt::Key_F7)},
    };
    for (const auto& [button, key] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, button, [b = button] { b->click(); });
        button->setToolTip(QStringLiteral("%1 (%2)").arg(button->toolTip(),
                                                         key.toString(QKeySequence::NativeText)));
    }
    const QKeySequence goTo(Qt::CTRL | Qt::Key_G);
    connect(new QShortcut(goTo, this), &QShortcut::activated, this, [this] {
        Edit3->setFocus(Qt::ShortcutFocusReason);
        Edit3->selectAll();
    });
    for (QWidget* w : {static_cast<QWidget*>(Edit3), static_cast<QWidget*>(SpeedButton6)})
        w->setToolTip(
            QStringLiteral("%1 (%2)").arg(w->toolTip(), goTo.toString(QKeySequence::NativeText)));
    // Stepping through the solution line at the solution field's cursor, and back.
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this), &QShortcut::activated,
            m_replay, [this] { m_replay->step(1); });
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this), &QShortcut::activated,
            m_replay, [this] { m_replay->step(-1); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setEnabled(false);
    connect(escape, &QShortcut::activated, m_replay, &SolutionReplay::stop);
    connect(m_replay, &SolutionReplay::activeChanged, escape, &QShortcut::setEnabled);
    for (const QKeyCombination key : EditHistory::undoKeys())
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this,
                &TForm1::undoEdit);
    for (const QKeyCombination key : EditHistory::redoKeys())
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this,
                &TForm1::redoEdit);
}

void TForm1::orderTabs()
{
    // Toolbar, board and its tools, navigation, then the item's fields tab by tab.
    QList<QWidget*> order = {SpeedButton7,  SpeedButton8,  SpeedButton9,  SpeedButton10,
                             SpeedButton11, SpeedButton12, SpeedButton14, SpeedButton21,
                             SpeedButton13, SpeedButton1,  SpeedButton15, PublishButton,
                             DrawGrid1};
    for (QToolButton* button : transformButtons)
        order << button;
    order << ListBox1 << SpeedButton2 << SpeedButton3 << SpeedButton4 << SpeedButton5 << Edit3
          << SpeedButton6 << SearchButton << isNewButton << SpeedButton23 << SpeedButton26
          << PageControl1 << Edit1 << ComboBox4 << ComboBox1 << ComboBox2 << Memo2 << ComboBox3
          << BitBtn1 << Memo1 << Memo3 << Button1;
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

} // namespace vexil
