#include "settings/option.h"

#include "app/controls.h"
#include "app/prompts.h"
#include "model/failure.h"
#include "settings/store.h"
#include "solve/popeye.h"
#include "solve/solvevocabulary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vexil {
namespace {

struct Preset {
    StoredColor white;
    StoredColor black;
};
constexpr Preset kWood{0x00A9DFE0, 0x007AABC5};
constexpr Preset kDefault1{kButtonFaceColor, 0x00808080};
constexpr Preset kDefault2{0x00FFFFFF, kButtonFaceColor};
constexpr Preset kDefault3{0x00EEEEEE, 0x00B7B7B7};

QLineEdit* lineEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

ColorSample::ColorSample(const char* name, QWidget* parent) : QFrame(parent)
{
    setObjectName(QLatin1String(name));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumSize(90, 60);
}

void ColorSample::setColor(StoredColor color)
{
    m_color = color;
    update();
}

void ColorSample::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(contentsRect(), PaintColor(m_color));
    painter.end();
    QFrame::paintEvent(event);
}

TForm6::TForm6(Prompts& prompts, Settings& settings, std::unique_ptr<SettingsStore> store,
               const LayoutWindows& windows, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_store(std::move(store)), m_windows(windows),
      m_settings(settings)
{
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Options"));
    buildWindow();
    LoadSettings();
}

TForm6::~TForm6() = default;

void TForm6::buildWindow()
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    // General.
    auto* general = new QWidget;
    auto* generalLayout = new QVBoxLayout(general);
    CheckBox1 = NamedCheckBox("CheckBox1",
                              QStringLiteral("\"&Drag and Drop\" only cursor (old mode)"), general);
    CheckBox2 = NamedCheckBox("CheckBox2", QStringLiteral("&Print customized colors"), general);
    CheckBox3 = NamedCheckBox("CheckBox3",
                              QStringLiteral("\"Copy &to Clipboard\" customized colors"), general);
    CheckBox4 = NamedCheckBox(
        "CheckBox4", QStringLiteral("&View customized colors (list of diagrams)"), general);
    CheckBox5 =
        NamedCheckBox("CheckBox5", QStringLiteral("&Load customized layout of windows"), general);
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5})
        generalLayout->addWidget(box);
    Button8 = NamedButton("Button8", QStringLiteral("&Save current layout"), general);
    auto* layoutRow = new QHBoxLayout;
    layoutRow->addWidget(Button8);
    layoutRow->addStretch();
    generalLayout->addLayout(layoutRow);

    PageControl2 = new QTabWidget(general);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    PageControl2->setTabPosition(QTabWidget::South);
    auto* popeye = new QWidget;
    auto* popeyeForm = new QFormLayout(popeye);
    ComboBox1 = ChoiceList("ComboBox1", PopeyeMemoryChoices(), popeye);
    Edit1 = lineEdit("Edit1", popeye);
    Button10 = NamedButton("Button10", QStringLiteral("Set path - &Find Popeye-exe"), popeye);
    popeyeForm->addRow(QStringLiteral("Memory"), ComboBox1);
    popeyeForm->addRow(new QLabel(QStringLiteral("Name of Popeye-exe file ")));
    popeyeForm->addRow(Edit1);
    popeyeForm->addRow(Button10);
    PageControl2->addTab(popeye, QStringLiteral("Popeye"));

    auto* stockfish = new QWidget;
    auto* stockfishForm = new QFormLayout(stockfish);
    ComboBox5 = ChoiceList("ComboBox5", TimeLimitChoices(), stockfish);
    ComboBox4 = ChoiceList("ComboBox4", ThreadChoices(), stockfish);
    ComboBox3 = ChoiceList("ComboBox3", HashMemoryChoices(), stockfish);
    Edit2 = lineEdit("Edit2", stockfish);
    Button11 = NamedButton("Button11", QStringLiteral("Set path - &Find Stockfish-exe"), stockfish);
    stockfishForm->addRow(QStringLiteral("Time limit (min.)"), ComboBox5);
    stockfishForm->addRow(QStringLiteral("Threads"), ComboBox4);
    stockfishForm->addRow(QStringLiteral("Hash memory"), ComboBox3);
    stockfishForm->addRow(new QLabel(QStringLiteral("Name of Stoskfish-exe file ")));
    stockfishForm->addRow(Edit2);
    stockfishForm->addRow(Button11);
    PageControl2->addTab(stockfish, QStringLiteral("Stockfish"));
    generalLayout->addWidget(PageControl2);
    PageControl1->addTab(general, QStringLiteral("General"));

    // Colors.
    auto* colors = new QWidget;
    auto* grid = new QGridLayout(colors);
    Panel2 = new ColorSample("Panel2", colors);
    Panel3 = new ColorSample("Panel3", colors);
    Button3 = NamedButton("Button3", QStringLiteral("Ch&ange"), colors);
    Button4 = NamedButton("Button4", QStringLiteral("Chang&e"), colors);
    auto* rule = new QFrame(colors);
    rule->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    grid->addWidget(new QLabel(QStringLiteral("White square")), 0, 0);
    grid->addWidget(Panel2, 1, 0);
    grid->addWidget(Button3, 2, 0);
    grid->addWidget(rule, 0, 1, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Black square")), 0, 2);
    grid->addWidget(Panel3, 1, 2);
    grid->addWidget(Button4, 2, 2);
    auto* presets = new QHBoxLayout;
    Button6 = NamedButton("Button6", QStringLiteral("&Wood"), colors);
    Button5 = NamedButton("Button5", QStringLiteral("Default &1"), colors);
    Button7 = NamedButton("Button7", QStringLiteral("Default &2"), colors);
    Button9 = NamedButton("Button9", QStringLiteral("Default &3"), colors);
    for (QPushButton* b : {Button6, Button5, Button7, Button9})
        presets->addWidget(b);
    grid->addLayout(presets, 3, 0, 1, 3);
    grid->setRowStretch(4, 1);
    PageControl1->addTab(colors, QStringLiteral("Colors"));

    Button1 = NamedButton("Button1", QStringLiteral("&OK"), this);
    Button1->setDefault(true);
    Button2 = NamedButton("Button2", QStringLiteral("&Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
    // As large as the tallest page needs: the Stockfish page has two rows more than the
    // Popeye page, and a smaller window squeezed its drop-downs to a sliver.
    const QSize needed = layout->sizeHint();
    setFixedSize(qMax(400, needed.width()), qMax(420, needed.height()));

    const std::pair<QPushButton*, Preset> presetButtons[] = {
        {Button6, kWood}, {Button5, kDefault1}, {Button7, kDefault2}, {Button9, kDefault3}};
    for (const auto& [b, preset] : presetButtons)
        connect(b, &QPushButton::clicked, this, [this, preset = preset] {
            Panel2->setColor(preset.white);
            Panel3->setColor(preset.black);
        });
    connect(Button3, &QPushButton::clicked, this, &TForm6::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm6::Button3Click);
    connect(Button10, &QPushButton::clicked, this, [this] { FindProgram(Edit1); });
    connect(Button11, &QPushButton::clicked, this, [this] { FindProgram(Edit2); });
    connect(Button8, &QPushButton::clicked, this, &TForm6::SaveLayout);
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm6::LoadSettings()
{
    const auto* file = dynamic_cast<const FileSettingsStore*>(m_store.get());
    if (file && !file->damage().isEmpty())
        m_prompts.message(nullptr, QStringLiteral("The settings file %1 cannot be read (%2). "
                                                  "Vexil uses the default settings and keeps "
                                                  "the file as it is.")
                                       .arg(file->path(), file->damage()));
    const LoadedSettings loaded = vexil::LoadSettings(*m_store);
    m_settings = loaded.settings;
    if (!loaded.problem.isEmpty())
        m_prompts.message(nullptr, loaded.problem);
    emit solverParametersChanged();
    if (loaded.layout)
        ApplyLayout(*loaded.layout);
}

void TForm6::ApplyLayout(const WindowLayout& layout)
{
    const std::pair<QWidget*, QPoint> places[] = {{m_windows.main, layout.main},
                                                  {m_windows.list, layout.list},
                                                  {m_windows.solve, layout.solve},
                                                  {m_windows.clipboard, layout.clipboard}};
    for (const auto& [window, place] : places)
        if (window)
            window->move(place);
    if (m_windows.fairy)
        m_windows.fairy->move(FairyDialogPlace(layout.main));
}

void TForm6::reportFailedWrite()
{
    const auto* file = dynamic_cast<const FileSettingsStore*>(m_store.get());
    m_prompts.report(this,
                     cannotCreate(file ? file->path() : QStringLiteral("the settings store")));
}

void TForm6::SaveSettings()
{
    m_settings.White = Panel2->color();
    m_settings.Black = Panel3->color();
    m_settings.DragDropOnlyCursor = CheckBox1->isChecked();
    m_settings.PrintCust = CheckBox2->isChecked();
    m_settings.CopyCust = CheckBox3->isChecked();
    m_settings.ViewCust = CheckBox4->isChecked();
    m_settings.LayoutCust = CheckBox5->isChecked();
    m_settings.PopeyeExe = Edit1->text();
    m_settings.PopeyeMem = ComboBox1->currentText();
    m_settings.SfExe = Edit2->text();
    m_settings.SfTime = ComboBox5->currentText();
    m_settings.SfThreads = ComboBox4->currentText();
    m_settings.SfHash = ComboBox3->currentText();
    emit solverParametersChanged();
    // The new values hold for this run even when the store cannot take them.
    if (!vexil::SaveSettings(*m_store, m_settings))
        reportFailedWrite();
}

void TForm6::SaveLayout()
{
    auto place = [](QWidget* w) { return w ? w->pos() : QPoint(); };
    WindowLayout layout;
    layout.main = place(m_windows.main);
    layout.list = place(m_windows.list);
    layout.solve = place(m_windows.solve);
    layout.clipboard = place(m_windows.clipboard);
    if (m_windows.fairy)
        m_windows.fairy->move(FairyDialogPlace(layout.main));
    if (!vexil::SaveLayout(*m_store, layout))
        reportFailedWrite();
}

void TForm6::Button1Click()
{
    SaveSettings();
    accept();
}

void TForm6::Button3Click()
{
    ColorSample* sample = sender() == Button4 ? Panel3 : Panel2;
    if (const std::optional<QColor> chosen =
            m_prompts.chooseColor(this, PaintColor(sample->color())))
        sample->setColor(ToStoredColor(*chosen));
}

void TForm6::FindProgram(QLineEdit* path)
{
    // Programs have no extension on most systems but Windows.
#ifdef Q_OS_WIN
    const QString suffix = QStringLiteral("exe");
#else
    const QString suffix;
#endif
#ifdef Q_OS_WIN
    const QString filter = QStringLiteral("EXE file|*.exe|All files|*.*");
#else
    // Programs here have no extension, and "*.*" would hide every one of them.
    const QString filter = QStringLiteral("All files|*|EXE file|*.exe");
#endif
    const QString name =
        m_prompts.openFileName(this, QStringLiteral("Find SOLVE-exe file"), filter, suffix);
    if (!name.isEmpty())
        path->setText(name);
}

void TForm6::loadControls()
{
    Panel2->setColor(m_settings.White);
    Panel3->setColor(m_settings.Black);
    CheckBox1->setChecked(m_settings.DragDropOnlyCursor);
    CheckBox2->setChecked(m_settings.PrintCust);
    CheckBox3->setChecked(m_settings.CopyCust);
    CheckBox4->setChecked(m_settings.ViewCust);
    CheckBox5->setChecked(m_settings.LayoutCust);
    Edit1->setText(m_settings.PopeyeExe);
    ComboBox1->setEditText(m_settings.PopeyeMem);
    Edit2->setText(m_settings.SfExe);
    ComboBox5->setEditText(m_settings.SfTime);
    ComboBox4->setEditText(m_settings.SfThreads);
    ComboBox3->setEditText(m_settings.SfHash);
}

void TForm6::showEvent(QShowEvent* event)
{
    loadControls();
    QDialog::showEvent(event);
}

} // namespace vexil
