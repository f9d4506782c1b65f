#pragma once

#include <QObject>
#include <QString>

#include <optional>

class QWidget;

namespace vexil {

class Prompts;

// Holds the import of old binary problem files.
class TDataModule1 : public QObject {
    Q_OBJECT
public:
    TDataModule1(Prompts& prompts, QObject* parent = nullptr);

    // Converts a pbm file into a new collection file, asking where to save it; returns the
    // written collection's name, or nothing when the user cancelled. Throws Failure when the
    // pbm file cannot be read or the collection cannot be written.
    std::optional<QString> ImportPbm(QWidget* parent, const QString& pbmName);

private:
    Prompts& m_prompts;
};

} // namespace vexil
