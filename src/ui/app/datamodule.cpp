#include "app/datamodule.h"

#include "app/prompts.h"
#include "model/problem.h"

namespace vexil {

TDataModule1::TDataModule1(Prompts& prompts, QObject* parent) : QObject(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("TDataModule1"));
}

std::optional<QString> TDataModule1::ImportPbm(QWidget* parent, const QString& pbmName)
{
    // The pbm file is read whole and closed before the save dialog comes up.
    const Lines lines = ConvertPbm(ReadWholeFile(pbmName));
    const QString target = m_prompts.saveFileName(parent, QStringLiteral("Save as Vexil-DGR file"),
                                                  QStringLiteral("DGR Files|*.dgr"),
                                                  QStringLiteral("DGR"));
    if (target.isEmpty())
        return std::nullopt;
    WriteLinesFile(target, lines);
    return target;
}

} // namespace vexil
