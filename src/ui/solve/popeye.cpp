#include "solve/popeye.h"

#include "app/controls.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vexil {

const QStringList& PopeyeMemoryChoices()
{
    static const QStringList list = {"4M",   "8M",   "12M",  "16M",   "32M",  "64M",
                                     "128M", "256M", "512M", "1024M", "2048M"};
    return list;
}

const QStringList& HashMemoryChoices()
{
    static const QStringList list = {"32", "64", "96", "128", "192", "256", "512", "1024", "2048"};
    return list;
}

const QStringList& ThreadChoices()
{
    static const QStringList list = [] {
        QStringList l;
        for (int i = 1; i <= 16; ++i)
            l << QString::number(i);
        return l;
    }();
    return list;
}

const QStringList& TimeLimitChoices()
{
    static const QStringList list = {"1",  "3",  "5",   "10",  "15", "20",
                                     "30", "60", "120", "180", "240"};
    return list;
}

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Solve interface"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);

    TabSet = new QTabWidget(this);
    TabSet->setTabPosition(QTabWidget::South);
    auto* popeye = new QWidget;
    auto* popeyeForm = new QFormLayout(popeye);
    PopeyeMemory = ChoiceList("PopeyeMemory", PopeyeMemoryChoices(), popeye);
    popeyeForm->addRow(QStringLiteral("Memory"), PopeyeMemory);
    TabSet->addTab(popeye, QStringLiteral("Popeye"));

    auto* stockfish = new QWidget;
    auto* stockfishForm = new QFormLayout(stockfish);
    HashMemory = ChoiceList("HashMemory", HashMemoryChoices(), stockfish);
    Threads = ChoiceList("Threads", ThreadChoices(), stockfish);
    TimeLimit = ChoiceList("TimeLimit", TimeLimitChoices(), stockfish);
    stockfishForm->addRow(QStringLiteral("Hash memory"), HashMemory);
    stockfishForm->addRow(QStringLiteral("Threads"), Threads);
    stockfishForm->addRow(QStringLiteral("Time limit (min.)"), TimeLimit);
    TabSet->addTab(stockfish, QStringLiteral("Stockfish"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addWidget(TabSet);
    resize(420, 420);
    move(183, 2);
    setSolverParameters(QStringLiteral("4M"), QStringLiteral("10"), QStringLiteral("1"),
                        QStringLiteral("32"));
}

void TForm2::setSolverParameters(const QString& popeyeMemory, const QString& timeLimit,
                                 const QString& threads, const QString& hashMemory)
{
    PopeyeMemory->setEditText(popeyeMemory);
    TimeLimit->setEditText(timeLimit);
    Threads->setEditText(threads);
    HashMemory->setEditText(hashMemory);
}

} // namespace vexil
