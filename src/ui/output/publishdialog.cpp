#include "output/publishdialog.h"

#include "app/controls.h"
#include "app/guard.h"
#include "app/prompts.h"
#include "interchange/convert.h"
#include "model/opencollection.h"
#include "output/booklet.h"
#include "output/latex.h"
#include "output/twinsvg.h"
#include "svg/diagramsvg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vexil {

PublishDialog::PublishDialog(Prompts& prompts, const OpenCollection& collection,
                             PublishSource source, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_prompts(prompts), m_collection(collection), m_source(std::move(source))
{
    setObjectName(QStringLiteral("PublishDialog"));
    setWindowTitle(QStringLiteral("Publish"));

    auto* items = new QGroupBox(QStringLiteral("Items"), this);
    shownButton = new QRadioButton(QStringLiteral("&Item shown"), items);
    selectedButton = new QRadioButton(QStringLiteral("&Selected items"), items);
    collectionButton = new QRadioButton(QStringLiteral("&Whole collection"), items);
    shownButton->setObjectName(QStringLiteral("shownButton"));
    selectedButton->setObjectName(QStringLiteral("selectedButton"));
    collectionButton->setObjectName(QStringLiteral("collectionButton"));
    shownButton->setChecked(true);
    auto* itemsLayout = new QVBoxLayout(items);
    for (QRadioButton* b : {shownButton, selectedButton, collectionButton})
        itemsLayout->addWidget(b);

    formatBox = new QComboBox(this);
    formatBox->setObjectName(QStringLiteral("formatBox"));
    formatBox->addItem(QStringLiteral("LaTeX, diagram package (.tex)"), int(PublishFormat::Latex));
    formatBox->addItem(QStringLiteral("PDF booklet (.pdf)"), int(PublishFormat::Booklet));
    formatBox->addItem(QStringLiteral("SVG diagram of the item shown (.svg)"),
                       int(PublishFormat::Svg));
    fileEdit = new QLineEdit(this);
    fileEdit->setObjectName(QStringLiteral("fileEdit"));
    browseButton = NamedButton("browseButton", QStringLiteral("&Browse\u2026"), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit, 1);
    fileRow->addWidget(browseButton);

    auto* options = new QGroupBox(QStringLiteral("Options"), this);
    wholeDocument = NamedCheckBox("wholeDocument",
                                  QStringLiteral("Complete &document (else the "
                                                 "diagrams only, to include)"),
                                  options);
    wholeDocument->setChecked(true);
    pageBox = new QComboBox(options);
    pageBox->setObjectName(QStringLiteral("pageBox"));
    pageBox->addItem(QStringLiteral("A4"), int(QPageSize::A4));
    pageBox->addItem(QStringLiteral("Letter"), int(QPageSize::Letter));
    acrossBox = new QComboBox(options);
    acrossBox->setObjectName(QStringLiteral("acrossBox"));
    acrossBox->addItem(QStringLiteral("2"), 2);
    acrossBox->addItem(QStringLiteral("3"), 3);
    solutionsAtEnd = NamedCheckBox("solutionsAtEnd",
                                   QStringLiteral("Solutions at the &end "
                                                  "(else under each diagram)"),
                                   options);
    solutionsAtEnd->setChecked(true);
    authorTable = NamedCheckBox("authorTable", QStringLiteral("Table of &authors"), options);
    authorTable->setChecked(true);
    turnedFigures = NamedCheckBox("turnedFigures",
                                  QStringLiteral("Fairy pieces as &turned figures where magazines "
                                                 "have one"),
                                  options);
    turnedFigures->setChecked(true);
    twinDiagrams = NamedCheckBox("twinDiagrams", QStringLiteral("Twins' dia&grams"), options);
    auto* optionsLayout = new QFormLayout(options);
    optionsLayout->addRow(wholeDocument);
    optionsLayout->addRow(QStringLiteral("Paper si&ze:"), pageBox);
    optionsLayout->addRow(QStringLiteral("Diagrams a&cross:"), acrossBox);
    optionsLayout->addRow(solutionsAtEnd);
    optionsLayout->addRow(authorTable);
    optionsLayout->addRow(turnedFigures);
    optionsLayout->addRow(twinDiagrams);

    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setAccessibleName(QStringLiteral("Progress"));
    progress->setValue(0);
    resultLabel = new QLabel(this);
    resultLabel->setObjectName(QStringLiteral("resultLabel"));
    resultLabel->setWordWrap(true);
    publishButton = NamedButton("publishButton", QStringLiteral("&Publish"), this);
    publishButton->setDefault(true);
    closeButton = NamedButton("closeButton", QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(publishButton);
    buttons->addWidget(closeButton);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Format:"), formatBox);
    auto* fileLabel = new QLabel(QStringLiteral("File &name:"), this);
    fileLabel->setBuddy(fileEdit);
    form->addRow(fileLabel, fileRow);
    // The row labels are the fields' buddies, which a screen reader reads as their names.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(items);
    layout->addLayout(form);
    layout->addWidget(options);
    layout->addWidget(progress);
    layout->addWidget(resultLabel);
    layout->addLayout(buttons);

    connect(formatBox, &QComboBox::currentIndexChanged, this, &PublishDialog::formatChanged);
    connect(browseButton, &QPushButton::clicked, this, &PublishDialog::browse);
    connect(publishButton, &QPushButton::clicked, this, &PublishDialog::publish);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::hide);
    formatChanged();
}

PublishFormat PublishDialog::format() const
{
    return PublishFormat(formatBox->currentData().toInt());
}

PublishRange PublishDialog::range() const
{
    if (format() == PublishFormat::Svg || shownButton->isChecked())
        return PublishRange::Shown;
    return selectedButton->isChecked() ? PublishRange::Selected : PublishRange::Collection;
}

void PublishDialog::showFor(PublishRange wanted)
{
    const bool anySelected = !m_source.selected().isEmpty();
    selectedButton->setEnabled(anySelected);
    if (wanted == PublishRange::Selected && anySelected)
        selectedButton->setChecked(true);
    else if (wanted == PublishRange::Collection)
        collectionButton->setChecked(true);
    else if (!anySelected && selectedButton->isChecked())
        shownButton->setChecked(true);
    progress->setValue(0);
    resultLabel->clear();
    formatChanged();
    show();
    raise();
    activateWindow();
}

void PublishDialog::formatChanged()
{
    const PublishFormat f = format();
    // An SVG holds one diagram; the options belong to the formats that use them.
    for (QRadioButton* b : {selectedButton, collectionButton})
        b->setEnabled(f != PublishFormat::Svg &&
                      (b != selectedButton || m_source.selected().size()));
    if (f == PublishFormat::Svg)
        shownButton->setChecked(true);
    wholeDocument->setEnabled(f == PublishFormat::Latex);
    for (QWidget* w :
         std::initializer_list<QWidget*>{pageBox, acrossBox, solutionsAtEnd, authorTable})
        w->setEnabled(f == PublishFormat::Booklet);
    turnedFigures->setEnabled(f != PublishFormat::Latex);
    const QString name = fileEdit->text().trimmed();
    if (!name.isEmpty()) {
        // The name follows the format chosen.
        const std::optional<PublishFormat> was = PublishFormatOf(name);
        const QString stem = was ? name.left(name.size() - PublishExtension(*was).size()) : name;
        fileEdit->setText(WithPublishExtension(stem, f));
    }
}

void PublishDialog::browse()
{
    Guarded(m_prompts, this, [this] {
        static const char* const filters[] = {"LaTeX (*.tex)", "PDF (*.pdf)", "SVG (*.svg)"};
        const PublishFormat f = format();
        const QString path =
            m_prompts.saveFileName(this, QStringLiteral("Publish"), QLatin1String(filters[int(f)]),
                                   PublishExtension(f).mid(1));
        if (!path.isEmpty())
            fileEdit->setText(WithPublishExtension(path, f));
    });
}

PublishSet PublishDialog::itemsToPublish() const
{
    switch (range()) {
    case PublishRange::Shown: {
        PublishSet set;
        if (const auto shown = m_source.shown()) {
            set.items << shown->first;
            set.numbers << shown->second;
        }
        return set;
    }
    case PublishRange::Selected:
        return ItemsToPublish(m_collection, m_source.selected());
    case PublishRange::Collection:
        return CollectionToPublish(m_collection);
    }
    return {};
}

InterchangeReport PublishDialog::write(const QString& path, const PublishSet& set)
{
    DiagramStyle style = m_source.style();
    style.fairy = turnedFigures->isChecked() ? FairyDrawing::Magazine : FairyDrawing::Generic;
    InterchangeReport report = set.report;
    switch (format()) {
    case PublishFormat::Latex: {
        LatexOptions options;
        options.wholeDocument = wholeDocument->isChecked();
        options.twinDiagrams = twinDiagrams->isChecked();
        const ExportedFile file = WriteLatex(set.items, set.numbers, options);
        WriteInterchangeFile(path, file.bytes);
        for (const ReportNote& note : file.report.notes())
            report.add(note.entry, note.label, note.text);
        break;
    }
    case PublishFormat::Booklet: {
        BookletOptions options;
        options.page = QPageSize::PageSizeId(pageBox->currentData().toInt());
        options.across = acrossBox->currentData().toInt();
        options.solutionsAtEnd = solutionsAtEnd->isChecked();
        options.authorTable = authorTable->isChecked();
        options.twinDiagrams = twinDiagrams->isChecked();
        options.style = style;
        options.title = QFileInfo(m_collection.fileName()).completeBaseName();
        progress->setMaximum(qMax(1, int(set.items.size())));
        WriteBooklet(path, set.items, set.numbers, options, [this](int done, int) {
            progress->setValue(done);
            // The bar moves while the booklet is made; nothing typed or clicked is taken.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        });
        break;
    }
    case PublishFormat::Svg:
        if (twinDiagrams->isChecked()) {
            const QList<TwinDiagram> twins = TwinDiagramsOf(set.items.first());
            if (!twins.isEmpty()) {
                WriteInterchangeFile(path, TwinSheetSvg(set.items.first().board, twins, 27, style));
                break;
            }
        }
        WriteDiagramSvg(
            path, set.items.first().board, style, 218,
            QStringLiteral("%1 %2").arg(set.items.first().author, set.items.first().stipulation));
        break;
    }
    return report;
}

void PublishDialog::publish()
{
    Guarded(m_prompts, this, [this] {
        QString path = fileEdit->text().trimmed();
        if (path.isEmpty()) {
            browse();
            path = fileEdit->text().trimmed();
            if (path.isEmpty())
                throw Abandon();
        }
        path = WithPublishExtension(path, format());
        fileEdit->setText(path);
        const PublishSet set = itemsToPublish();
        if (set.items.isEmpty())
            throw Failure::refusal(QStringLiteral("No item to publish."));
        progress->setValue(0);
        const InterchangeReport report = write(path, set);
        progress->setMaximum(1);
        progress->setValue(1);
        resultLabel->setText(QStringLiteral("%1 item(s) written to %2")
                                 .arg(set.items.size())
                                 .arg(QFileInfo(path).fileName()));
        if (!report.isEmpty())
            m_prompts.showReport(this, QStringLiteral("Publish"),
                                 QStringLiteral("\"%1\" cannot hold everything of the item(s):\n")
                                         .arg(QFileInfo(path).fileName()) +
                                     report.text());
    });
}

} // namespace vexil
