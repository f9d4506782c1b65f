#include "app/prompts.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>

namespace vexil {
namespace {
const QString kTitle = QStringLiteral("Vexil");
const QString kConfirm = QStringLiteral("Confirm");

// Qt's file dialogs take "Name (*.ext)" entries; the program's filters are "Name|*.ext|...".
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns =
            QLatin1Char('(') + QString(parts[i + 1]).replace(';', ' ') + QLatin1Char(')');
        // A name that shows its patterns already ("Olive/YACPDB (*.olv)") is not given them twice.
        entries << (parts[i].endsWith(patterns) ? parts[i]
                                                : parts[i] + QLatin1Char(' ') + patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

// The extension a name typed without one takes under a filter entry: its first "*.ext".
QString filterSuffix(const QString& entry)
{
    const qsizetype open = entry.lastIndexOf(QLatin1Char('('));
    if (open < 0 || !entry.endsWith(QLatin1Char(')')))
        return {};
    const QStringList patterns =
        entry.mid(open + 1).chopped(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& pattern : patterns)
        if (pattern.startsWith(QLatin1String("*.")) && pattern != QLatin1String("*.*"))
            return pattern.mid(2);
    return {};
}

QString runFileDialog(QWidget* parent, const QString& title, const QString& filter,
                      const QString& suffix, QFileDialog::AcceptMode mode,
                      QFileDialog::Options options = {})
{
    QFileDialog dialog(parent, title, QString(), qtFilter(filter));
    dialog.setAcceptMode(mode);
    dialog.setOptions(options);
    dialog.setDefaultSuffix(suffix);
    // The format chosen in the list decides the extension of a name typed without one.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, suffix](const QString& entry) {
                         const QString own = filterSuffix(entry);
                         dialog.setDefaultSuffix(own.isEmpty() ? suffix : own);
                     });
    dialog.setFileMode(QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Open"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

bool runReportDialog(QWidget* parent, const QString& title, const QString& text, bool canCancel)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* field = new QPlainTextEdit(text, &dialog);
    field->setReadOnly(true);
    field->setAccessibleName(title);
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(canCancel ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel
                                                   : QDialogButtonBox::Ok,
                                         &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    dialog.resize(600, 360);
    return dialog.exec() == QDialog::Accepted;
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
    const auto button = QMessageBox::question(
        parent, kConfirm, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
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
                          QStringLiteral("DGR Files|*.dgr|Olive/YACPDB (*.olv)|*.olv|"
                                         "Popeye input (*.inp)|*.inp|All files|*.*"),
                          QStringLiteral("dgr"));
}

QString Prompts::openCollectionFileName(QWidget* parent)
{
    return openFileName(parent, QStringLiteral("Open or create collection"),
                        QStringLiteral("File DGR|*.dgr|File PBM|*.pbm|Olive/YACPDB|*.olv|"
                                       "Popeye input|*.inp;*.pi|All Files|*.*"),
                        QStringLiteral("dgr"));
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

void Prompts::showReport(QWidget* parent, const QString& title, const QString& text)
{
    runReportDialog(parent, title, text, false);
}

bool Prompts::confirmReport(QWidget* parent, const QString& title, const QString& text)
{
    return runReportDialog(parent, title, text, true);
}

} // namespace vexil

namespace vexil {

void Prompts::runWithProgress(QWidget* parent, const QString& text, const Work& work)
{
    QProgressDialog dialog(text, QStringLiteral("Cancel"), 0, 1000, parent);
    dialog.setWindowTitle(kTitle);
    dialog.setAccessibleName(text);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    // A quick conversion ends before the window would show.
    dialog.setMinimumDuration(400);
    dialog.setValue(0);

    std::atomic<bool> cancelled{false};
    std::atomic<int> permille{0};
    std::exception_ptr thrown;
    const Progress progress = [&](qint64 done, qint64 total) {
        if (cancelled.load())
            throw Abandon();
        if (total > 0)
            permille.store(int(std::clamp<qint64>(done * 1000 / total, 0, 1000)));
    };
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work(progress);
        } catch (...) {
            thrown = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
        cancelled.store(true);
        dialog.setLabelText(QStringLiteral("Cancelling..."));
    });
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &dialog, [&] { dialog.setValue(permille.load()); });
    timer.start(100);
    thread->start();
    loop.exec();
    thread->wait();
    timer.stop();
    dialog.hide();
    if (thrown)
        std::rethrow_exception(thrown);
    if (cancelled.load())
        throw Abandon();
}

} // namespace vexil
