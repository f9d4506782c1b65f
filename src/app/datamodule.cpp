#include "app/datamodule.h"

#include "app/prompts.h"

namespace vexil {

TDataModule1::TDataModule1(Prompts& prompts, QObject* parent) : QObject(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("TDataModule1"));
}

std::optional<QString> TDataModule1::ImportPbm(QWidget* parent, const QString& pbmName)
{
    m_prompts.message(parent, QStringLiteral("%1 is a PBM file. This version of Vexil cannot "
                                             "convert PBM files yet.")
                                  .arg(pbmName));
    return std::nullopt;
}

} // namespace vexil
