#include "app/datamodule.h"

#include "app/prompts.h"
#include "model/failure.h"
#include "model/problem.h"

#include <QFile>

namespace vexil {

TDataModule1::TDataModule1(Prompts& prompts, QObject* parent) : QObject(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("TDataModule1"));
}

std::optional<QString> TDataModule1::ImportPbm(QWidget* parent, const QString& pbmName)
{
    QByteArray bytes;
    {
        QFile file(pbmName);
        if (!file.open(QIODevice::ReadOnly))
            throw Failure::error(QStringLiteral("Cannot open file %1").arg(pbmName));
        bytes = file.readAll();
    }
    const Lines lines = ConvertPbm(bytes);
    const QString target = m_prompts.saveFileName(parent, QStringLiteral("Save as Vexil-DGR file"),
                                                  QStringLiteral("DGR Files|*.dgr"),
                                                  QStringLiteral("DGR"));
    if (target.isEmpty())
        return std::nullopt;
    WriteLinesFile(target, lines);
    return target;
}

} // namespace vexil
