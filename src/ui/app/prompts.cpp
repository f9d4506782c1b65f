#include "app/prompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace vexil {
namespace {
const QString kTitle = QStringLiteral("Vexil");
const QString kConfirm = QStringLiteral("Confirm");

// Qt's file dialogs take "Name (*.ext)" entries; the program's filters are "Name|*.ext|...".
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(';', ' ') +
                       QLatin1Char(')');
    return entries.join(QStringLiteral(";;"));
}

QString runFileDialog(QWidget* parent, const QString& title, const QString& filter,
                      const QString& suffix, QFileDialog::AcceptMode mode,
                      QFileDialog::Options options = {})
{
    QFileDialog dialog(parent, title, QString(), qtFilter(filter));
    dialog.setAcceptMode(mode);
    dialog.setOptions(options);
    dialog.setDefaultSuffix(suffix);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Open"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}
} // namespace

void Prompts::message(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, kTitle, text, QMessageBox::Ok);
}

void Prompts::error(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, kTitle, text, QMessageBox::Ok);
}

Prompts::Answer Prompts::confirmYesNoCancel(QWidget* parent, const QString& text)
{
    const auto button =
        QMessageBox::question(parent, kConfirm, text,
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                              QMessageBox::Yes);
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    if (button == QMessageBox::No)
        return Answer::No;
    return Answer::Cancel;
}

bool Prompts::confirmOkCancel(QWidget* parent, const QString& text)
{
    return QMessageBox::question(parent, kConfirm, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

QString Prompts::openFileName(QWidget* parent, const QString& title, const QString& filter,
                              const QString& defaultSuffix)
{
    return runFileDialog(parent, title, filter, defaultSuffix, QFileDialog::AcceptOpen);
}

QString Prompts::saveFileName(QWidget* parent, const QString& title, const QString& filter,
                              const QString& defaultSuffix)
{
    return runFileDialog(parent, title, filter, defaultSuffix, QFileDialog::AcceptSave);
}

QString Prompts::appendFileName(QWidget* parent, const QString& title, const QString& filter,
                                const QString& defaultSuffix)
{
    return runFileDialog(parent, title, filter, defaultSuffix, QFileDialog::AcceptSave,
                         QFileDialog::DontConfirmOverwrite);
}

QString Prompts::copyTargetFileName(QWidget* parent)
{
    return appendFileName(parent, QStringLiteral("Copy item(s) to collection"),
                          QStringLiteral("DGR Files|*.dgr|All files|*.*"), QStringLiteral("dgr"));
}

std::optional<QString> Prompts::inputText(QWidget* parent, const QString& caption,
                                          const QString& prompt, const QString& value)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QColor> Prompts::chooseColor(QWidget* parent, const QColor& initial)
{
    const QColor color = QColorDialog::getColor(initial, parent);
    if (!color.isValid())
        return std::nullopt;
    return color;
}

void Prompts::report(QWidget* parent, const Failure& failure)
{
    if (failure.kind == Failure::Kind::Refusal)
        message(parent, failure.message);
    else
        error(parent, failure.message);
}


} // namespace vexil
