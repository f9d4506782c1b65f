// The main window's tabs: the item's fields, its twins, its solution and its fairy pieces.

#include "app/controls.h"
#include "app/idgr.h"
#include "model/vocabulary.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <limits>

namespace vexil {
namespace {

// The fields' widths at the window's smallest (MainArea::kSmallest), for the wider fonts of
// today's desktops.
constexpr int kFieldWidth = 280;
constexpr int kMemoWidth = 284;
// The pages of the item's tabs at the window's smallest: the fields have their old width
// there, with room to spare beside them, and take all that the window grows by.
constexpr int kPageWidth = 396;
constexpr int kPageHeight = 270;
constexpr int kNoLengthLimit = std::numeric_limits<int>::max();

QLabel* fieldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFixedHeight(16);
    return label;
}

// A field named by the label above it, for a screen reader as for the eye; a drop-down's
// line edit carries the same name.
void nameField(QLabel* label, QWidget* field)
{
    label->setBuddy(field);
    field->setAccessibleName(label->text());
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(label->text());
}

QComboBox* fieldCombo(const char* name, const QStringList& items, int visible, QWidget* parent)
{
    QComboBox* combo = ChoiceList(name, items, parent);
    combo->setMaxVisibleItems(visible);
    // A stored text may be longer than a line edit's usual limit; cutting it would lose it.
    combo->lineEdit()->setMaxLength(kNoLengthLimit);
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
    // Tab moves on to the next control; a tab character has no place in an item's text.
    edit->setTabChangesFocus(true);
    return edit;
}

} // namespace

QWidget* TForm1::buildItemTab()
{
    auto* page = new QWidget;
    auto* fields = new QVBoxLayout(page);
    fields->setContentsMargins(6, 6, kPageWidth - 6 - kFieldWidth, 0);
    fields->setSpacing(0);
    const auto add = [&](QLabel* label, QWidget* field) {
        nameField(label, field);
        field->setMinimumWidth(kFieldWidth);
        field->setFixedHeight(24);
        fields->addWidget(label);
        fields->addWidget(field);
        fields->addSpacing(6);
    };
    Edit1 = new QLineEdit(page);
    Edit1->setMaxLength(kNoLengthLimit);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    add(fieldLabel(QStringLiteral("Author"), page), Edit1);
    ComboBox4 = fieldCombo("ComboBox4", SourceVocabulary(), 22, page);
    add(fieldLabel(QStringLiteral("Source"), page), ComboBox4);

    // The stipulation takes half the width of the fields.
    QLabel* stipulation = fieldLabel(QStringLiteral("Stipulation"), page);
    ComboBox1 = fieldCombo("ComboBox1", StipulationVocabulary(), 12, page);
    nameField(stipulation, ComboBox1);
    ShareRow(ComboBox1, kFieldWidth / 2)->setFixedHeight(24);
    fields->addWidget(stipulation);
    auto* half = new QHBoxLayout;
    half->setSpacing(0);
    half->addWidget(ComboBox1, 1);
    half->addStretch(1);
    fields->addLayout(half);
    fields->addSpacing(6);

    ComboBox2 = fieldCombo("ComboBox2", ConditionVocabulary(), 13, page);
    add(fieldLabel(QStringLiteral("Condition"), page), ComboBox2);
    fields->addSpacing(6);

    Label10 = new QLabel(QStringLiteral("Twin"), page);
    Label10->setObjectName(QStringLiteral("Label10"));
    QFont bold = Label10->font();
    bold.setBold(true);
    Label10->setFont(bold);
    Label10->setFixedSize(60, 18);
    Label10->setEnabled(false);

    Label3 = new QLabel(QStringLiteral("( 0 + 0 )"), page);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3->setFont(bold);
    Label3->setFixedSize(140, 18);
    auto* counts = new QHBoxLayout;
    counts->addWidget(Label10);
    counts->addStretch();
    counts->addWidget(Label3);
    fields->addLayout(counts);
    fields->addStretch();
    return page;
}

namespace {

// A tab's page: a memo from its top left corner, as wide as the page lets it be, and the
// controls under it; `below` is how much of the page's smallest height they take.
QVBoxLayout* memoPage(QWidget* page, QPlainTextEdit* memo, int height, int below)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, kPageWidth - 4 - kMemoWidth, kPageHeight - 4 - height - below);
    layout->setSpacing(0);
    memo->setMinimumSize(kMemoWidth, height);
    layout->addWidget(memo, 1);
    return layout;
}

// A label under a memo, two pixels further in, as the labels of the item tab stand.
QLabel* indented(QLabel* label)
{
    label->setContentsMargins(2, 0, 0, 0);
    return label;
}

} // namespace

QWidget* TForm1::buildTwinTab()
{
    auto* page = new QWidget;
    Memo2 = memo("Memo2", page);
    Memo2->setAccessibleName(QStringLiteral("Twins"));
    QVBoxLayout* layout = memoPage(page, Memo2, 196, 8 + 16 + 24);
    layout->addSpacing(8);
    QLabel* select = indented(fieldLabel(QStringLiteral("Select"), page));
    layout->addWidget(select);
    ComboBox3 = ChoiceList("ComboBox3", TwinTemplates(), page);
    ComboBox3->setMaxVisibleItems(13);
    ComboBox3->setCurrentIndex(-1);
    ComboBox3->setEditText(QString());
    ShareRow(ComboBox3, 220)->setFixedHeight(24);
    WidenPopupToEntries(ComboBox3);
    nameField(select, ComboBox3);
    ComboBox3->setAccessibleName(QStringLiteral("Twin templates"));
    BitBtn1 = new QPushButton(QStringLiteral("Add"), page);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setFixedSize(60, 24);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(ComboBox3, 1);
    row->addWidget(BitBtn1);
    layout->addLayout(row);
    return page;
}

QWidget* TForm1::buildSolutionTab()
{
    auto* page = new QWidget;
    Memo1 = memo("Memo1", page);
    Memo1->setAccessibleName(QStringLiteral("Solution"));
    memoPage(page, Memo1, 262, 0);
    return page;
}

QWidget* TForm1::buildFairyTab()
{
    auto* page = new QWidget;
    Memo3 = memo("Memo3", page);
    Memo3->setAccessibleName(QStringLiteral("Fairy pieces"));
    QVBoxLayout* layout = memoPage(page, Memo3, 196, 6 + 26 + 6 + 16);
    layout->addSpacing(6);
    Button1 = new QPushButton(QStringLiteral("Show / Refresh"), page);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(120, 26);
    layout->addWidget(Button1);
    layout->addSpacing(6);
    auto* except = indented(fieldLabel(QStringLiteral("Except: neutral KQRBSP"), page));
    except->setObjectName(QStringLiteral("Label12"));
    layout->addWidget(except);
    return page;
}

} // namespace vexil
