#pragma once

#include <QObject>
#include <QString>

#include <optional>

class QWidget;

namespace vexil {

class Prompts;

// Brings files of other formats in as new collections: old binary problem files, Olive/YACPDB
// files and Popeye problem files.
class TDataModule1 : public QObject {
    Q_OBJECT
public:
    TDataModule1(Prompts& prompts, QObject* parent = nullptr);

    // Converts a pbm file into a new collection file, asking where to save it; returns the
    // written collection's name, or nothing when the user cancelled. Throws Failure when the
    // pbm file cannot be read or the collection cannot be written.
    std::optional<QString> ImportPbm(QWidget* parent, const QString& pbmName);

    // The same for an .olv or Popeye file, then shows what the collection could not hold.
    std::optional<QString> ImportInterchange(QWidget* parent, const QString& fileName);

    // What Open hands a file name to: a pbm, .olv or Popeye file is converted as above, any
    // other name comes back as it is, to be opened as a collection.
    std::optional<QString> ImportFile(QWidget* parent, const QString& fileName);

private:
    QString askTarget(QWidget* parent);

    Prompts& m_prompts;
};

// The title of the report shown after an import.
inline const QString kImportReportTitle = QStringLiteral("Import report");

} // namespace vexil
