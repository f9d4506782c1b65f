#include "output/copyd.h"

#include "app/controls.h"
#include "app/guard.h"
#include "app/idgr.h"
#include "output/diagram.h"
#include "output/itemtext.h"
#include "output/twindiagrams.h"
#include "output/twinsvg.h"
#include "svg/diagramsvg.h"

#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vexil {
TForm5::TForm5(Prompts& prompts, const Settings& settings, TForm1& main)
    : QDialog(&main, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_prompts(prompts), m_settings(settings), m_main(main)
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Copy to Windows clipboard"));
    setModal(false);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Item text"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CheckBox2 = NamedCheckBox("CheckBox2", QStringLiteral("All in text notation"), this);
    Button5 = NamedButton("Button5", QStringLiteral("Copy &all text"), this);
    Button1 = NamedButton("Button1", QStringLiteral("Copy &selected text"), this);
    Button2 = NamedButton("Button2", QStringLiteral("Copy diagram 2&18 x 218"), this);
    Button3 = NamedButton("Button3", QStringLiteral("Copy diagram 2&02 x 202"), this);
    CheckBox1 = NamedCheckBox(
        "CheckBox1", QStringLiteral("Copy &diagram and all text  ( use \"Paste Special .. \" ! )"),
        this);
    Button4 = NamedButton("Button4", QStringLiteral("&Close"), this);
    TwinsBox = NamedCheckBox("TwinsBox", QStringLiteral("&Twins' diagrams"), this);
    Button2->setDefault(true);
    // Accessible names without the access-key marks, as a screen reader reads the captions.
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             CheckBox2, Button5, Button1, Button2, Button3, CheckBox1, Button4, TwinsBox})
        b->setAccessibleName(QString(b->text()).remove(QLatin1Char('&')));

    // 287 x 430 as designed, wider where today's fonts need it for the long caption. The rows
    // stay where they are, so a script can find the buttons from the window's width alone.
    const int margin = 8, rowHeight = 26;
    const int width = qMax(287, CheckBox1->sizeHint().width() + 2 * margin);
    const int half = (width - 3 * margin) / 2;
    Memo1->setGeometry(0, 0, width, 265);
    CheckBox2->setGeometry(margin, 270, width - 2 * margin, rowHeight);
    Button5->setGeometry(margin, 298, half, rowHeight);
    Button1->setGeometry(2 * margin + half, 298, half, rowHeight);
    Button2->setGeometry(margin, 334, half, rowHeight);
    Button3->setGeometry(2 * margin + half, 334, half, rowHeight);
    CheckBox1->setGeometry(margin, 364, width - 2 * margin, rowHeight);
    Button4->setGeometry(width - margin - 100, 396, 100, rowHeight);
    // Beside Close, where the window had room: the rows above stay where they were.
    TwinsBox->setGeometry(margin, 396, width - 3 * margin - 100, rowHeight);
    setFixedSize(width, 430);
    move(339, 4);

    connect(CheckBox2, &QCheckBox::clicked, this, &TForm5::CheckBox2Click);
    connect(Button5, &QPushButton::clicked, this, &TForm5::Button5Click);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(Button2, &QPushButton::clicked, this, [this] { CopyDiagram(27); });
    connect(Button3, &QPushButton::clicked, this, [this] { CopyDiagram(25); });
    connect(Button4, &QPushButton::clicked, this, &TForm5::Button4Click);
    connect(TwinsBox, &QCheckBox::clicked, this, &TForm5::TwinsBoxClick);
}

bool TForm5::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TForm5::refill()
{
    Memo1->clear();
    m_main.refreshFairyPieces();
    const Item item = m_main.fieldsItem();
    const QStringList fairy = VisibleLines(m_main.Memo3);
    const bool twins = TwinsBox->isChecked();
    const QStringList lines = CheckBox2->isChecked() ? ItemTextNotation(item, fairy, twins)
                                                     : ItemText(item, fairy, twins);
    // Every line ends with its line break, the last one included.
    Memo1->setPlainText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TForm5::Export()
{
    Guarded(m_prompts, &m_main, [this] {
        m_main.refreshFairyPieces();
        show();
        raise();
        activateWindow();
    });
}

void TForm5::FormActivate()
{
    Guarded(m_prompts, this, [this] { refill(); });
}

void TForm5::CheckBox2Click()
{
    Guarded(m_prompts, this, [this] {
        const bool plain = !CheckBox2->isChecked();
        for (QWidget* w : std::initializer_list<QWidget*>{Button1, Button2, Button3, CheckBox1})
            w->setEnabled(plain);
        refill();
    });
}

void TForm5::Button5Click()
{
    Guarded(m_prompts, this, [this] {
        Memo1->selectAll();
        Memo1->copy();
    });
}

void TForm5::Button1Click()
{
    Guarded(m_prompts, this, [this] { Memo1->copy(); });
}

void TForm5::CopyDiagram(int squareSize)
{
    Guarded(m_prompts, this, [this, squareSize] {
        const DiagramColours colours =
            m_settings.CopyCust ? CustomDiagramColours(m_settings) : StandardDiagramColours();
        const DiagramStyle style{colours, FairyDrawing::Generic, &m_main.pictures(),
                                 &m_main.fairyPictures()};
        // The twins of the item as the fields hold it, on the board the window shows.
        const QList<TwinDiagram> twins =
            TwinsBox->isChecked() ? TwinDiagramsOf(m_main.fieldsItem()) : QList<TwinDiagram>();
        const QImage diagram = twins.isEmpty()
                                   ? DiagramBitmap(m_main.board(), squareSize, colours,
                                                   m_main.pictures(), m_main.fairyPictures())
                                   : TwinSheetBitmap(m_main.board(), twins, squareSize, style);
        // One set of formats replaces whatever the clipboard held: the picture, and the
        // text beside it only when asked for.
        auto* data = new QMimeData;
        if (CheckBox1->isChecked())
            data->setText(Memo1->toPlainText());
        data->setImageData(diagram);
        // The same picture as paths, for applications that keep it sharp at any size.
        data->setData(QStringLiteral("image/svg+xml"),
                      twins.isEmpty() ? DiagramSvg(m_main.board(), style, diagram.width())
                                      : TwinSheetSvg(m_main.board(), twins, squareSize, style));
        QGuiApplication::clipboard()->setMimeData(data);
    });
}

void TForm5::Button4Click()
{
    hide();
}

void TForm5::TwinsBoxClick()
{
    Guarded(m_prompts, this, [this] { refill(); });
}

} // namespace vexil
