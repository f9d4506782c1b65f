#include "app/fairy.h"

#include "settings/settings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vexil {

PieceCode FairyCode(int base, int kindRow, int specificationRow)
{
    return piece::make(base, kindRow + 1, specificationRow);
}

TForm4::TForm4(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Fairy pieces"));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->addItems(PieceSpecifications());
    ListBox1->setCurrentRow(0);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(FairyKinds());
    ComboBox1->setMaxVisibleItems(12);
    ComboBox1->setCurrentIndex(0);
    QFont fixed = ComboBox1->font();
    fixed.setFamily(QStringLiteral("DejaVu Sans Mono"));
    ComboBox1->setFont(fixed);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Specyfication")));
    layout->addWidget(ListBox1);
    layout->addWidget(
        new QLabel(QStringLiteral("Kind  (partly in alphabetical order ->zebrarider)")));
    layout->addWidget(ComboBox1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);
    // All fourteen specifications in view at once.
    ListBox1->setFixedHeight(ListBox1->sizeHintForRow(1) * 14 + 2 * ListBox1->frameWidth());
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
    move(kFairyDialogDesignPlace);
}

PieceCode TForm4::fairyCode(int base) const
{
    return FairyCode(base, qMax(0, ComboBox1->currentIndex()), qMax(0, ListBox1->currentRow()));
}

void TForm4::showEvent(QShowEvent* event)
{
    ListBox1->setCurrentRow(0);
    QDialog::showEvent(event);
}

} // namespace vexil
