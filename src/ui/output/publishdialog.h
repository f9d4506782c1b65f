#pragma once

#include "output/diagrampainter.h"
#include "output/publish.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vexil {

class OpenCollection;
class Prompts;

// What the Publish dialog reads from the other windows at the moment it writes.
struct PublishSource {
    // The item shown as the main window holds it (unsaved edits included) and its number;
    // no value when no item is shown.
    std::function<std::optional<std::pair<Item, int>>()> shown;
    // The list window's selected items, in collection order.
    std::function<QList<int>()> selected;
    // The loaded fairy pictures and the diagram colours of the settings.
    std::function<DiagramStyle()> style;
};

// "Publish": the item shown, the selected items or the whole collection as a .tex for the
// diagram package, a PDF booklet or (one diagram) an SVG file.
class PublishDialog : public QDialog {
    Q_OBJECT
public:
    PublishDialog(Prompts& prompts, const OpenCollection& collection, PublishSource source,
                  QWidget* parent = nullptr);

    // Brings the dialog up with `range` chosen (when it can be).
    void showFor(PublishRange range);

    // Handlers.
    void formatChanged();
    void browse();
    void publish();

    QRadioButton* shownButton = nullptr;
    QRadioButton* selectedButton = nullptr;
    QRadioButton* collectionButton = nullptr;
    QComboBox* formatBox = nullptr;
    QLineEdit* fileEdit = nullptr;
    QPushButton* browseButton = nullptr;
    QCheckBox* wholeDocument = nullptr;
    QComboBox* pageBox = nullptr;
    QComboBox* acrossBox = nullptr;
    QCheckBox* solutionsAtEnd = nullptr;
    QCheckBox* authorTable = nullptr;
    QCheckBox* turnedFigures = nullptr;
    QCheckBox* twinDiagrams = nullptr;
    QProgressBar* progress = nullptr;
    QLabel* resultLabel = nullptr;
    QPushButton* publishButton = nullptr;
    QPushButton* closeButton = nullptr;

private:
    PublishFormat format() const;
    PublishRange range() const;
    // The items of the range chosen; the item shown as on screen.
    PublishSet itemsToPublish() const;
    // Writes the file; the report of what the format could not hold.
    InterchangeReport write(const QString& path, const PublishSet& set);

    Prompts& m_prompts;
    const OpenCollection& m_collection;
    PublishSource m_source;
};

} // namespace vexil
