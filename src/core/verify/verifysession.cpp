#include "verify/verifysession.h"

#include "model/collection.h"
#include "model/cp1252.h"
#include "model/failure.h"
#include "solution/twins.h"
#include "solve/popeyetext.h"

namespace vexil {

namespace {

// During a long run the results file is written after this many new results, so that a run
// killed from outside (a cluster's time limit) loses little.
constexpr int kSaveEvery = 200;
const QString kChangedDuringRun = QStringLiteral("the item changed during the verification");

} // namespace

QByteArray VerifyPopeyeText(const Item& item, int number, const QString& programFolder)
{
    const PopeyeInput input = BuildPopeyeInput(item, PopeyeOptions(), programFolder);
    if (input.fileWord)
        throw ItemRefused{
            PopeyeFileWordMessage(QStringLiteral("Item %1").arg(number), *input.fileWord)};
    QByteArray bytes;
    if (!cp1252::encode(input.lines.join(QLatin1Char('\n')), bytes))
        throw Failure::error(
            QStringLiteral("Item %1 holds a character Popeye cannot be given.").arg(number));
    return bytes;
}

VerifyItems CollectionVerifyItems(std::shared_ptr<const Collection> collection,
                                  const QString& programFolder)
{
    auto item = [collection](int number) -> std::optional<Item> {
        const int header = collection->FindItemLine(number);
        if (header < 0)
            return std::nullopt;
        return collection->readItem(header);
    };
    VerifyItems items;
    items.count = [collection] { return qMax(0, collection->itemCount()); };
    items.storedLines = [collection](int number) { return StoredItemLines(*collection, number); };
    items.popeyeInput = [item, programFolder](int number) {
        const std::optional<Item> found = item(number);
        if (!found)
            throw Failure::error(QStringLiteral("No item %1").arg(number));
        return VerifyPopeyeText(*found, number, programFolder);
    };
    items.solution = [item](int number) {
        const std::optional<Item> found = item(number);
        return found ? found->solution : QStringList();
    };
    items.positions = [item](int number) {
        const std::optional<Item> found = item(number);
        return found ? BuildTwins(*found) : QList<Twin>();
    };
    return items;
}

VerifySession::VerifySession(VerifyItems items, QObject* parent)
    : QObject(parent), m_items(std::move(items))
{
}

VerifySession::~VerifySession() = default;

void VerifySession::open(const QString& resultsPath, QString* problem)
{
    // Another collection: the items of a run are not its items.
    stop();
    m_runner.reset();
    m_keys.clear();
    m_unsaved = 0;
    m_resultsPath = resultsPath;
    bool mayWrite = true;
    m_results = resultsPath.isEmpty() ? VerifyResults()
                                      : VerifyResults::read(resultsPath, problem, &mayWrite);
    // A results file that is not ours to replace: the results live as long as the session.
    if (!mayWrite)
        m_resultsPath.clear();
}

QList<int> VerifySession::plan(const QList<int>& numbers, int maxTime, bool all,
                               QHash<int, VerifyRecord>* kept)
{
    m_options = VerifyOptionsText(maxTime);
    m_keys.clear();
    QList<int> toRun;
    for (int number : numbers) {
        const QByteArray key = ItemKey(m_items.storedLines(number), m_options);
        m_keys.insert(number, key);
        const VerifyRecord* record = m_results.find(key);
        if (record && !all) {
            if (kept) {
                VerifyRecord here = *record;
                here.number = number;
                kept->insert(number, here);
            }
        } else {
            toRun.append(number);
        }
    }
    return toRun;
}

bool VerifySession::start(const QList<int>& numbers, const VerifySolver& solver, int parallel,
                          int maxTime, int grace, QString* refusal)
{
    if (isRunning())
        return false;
    const QString options = VerifyOptionsText(maxTime);
    if (options != m_options)
        plan(numbers, maxTime, true);
    // An item saved during the run is not verified under the key of its old lines.
    auto input = [this](int number) {
        if (ItemKey(m_items.storedLines(number), m_options) != m_keys.value(number))
            throw Failure::refusal(kChangedDuringRun);
        return m_items.popeyeInput(number);
    };
    m_runner = std::make_unique<VerifyRunner>(
        solver.path, solver.memory, input, [this](int number) { return m_keys.value(number); },
        m_items.solution);
    if (m_items.positions)
        m_runner->setPositions(m_items.positions);
    m_runner->setParallel(parallel);
    m_runner->setMaxTime(maxTime);
    m_runner->setGrace(grace);
    connect(m_runner.get(), &VerifyRunner::itemVerified, this, [this](const VerifyRecord& result) {
        VerifyRecord record = result;
        record.options = m_options;
        if (record.detail != kChangedDuringRun)
            m_results.put(record);
        emit itemVerified(record);
        if (++m_unsaved >= kSaveEvery) {
            try {
                save();
            } catch (const Failure&) {
                // Tried again at the end, where it is told.
            }
        }
    });
    connect(m_runner.get(), &VerifyRunner::finished, this, [this](bool stopped) {
        QString problem;
        try {
            save();
        } catch (const Failure& failure) {
            problem = failure.message;
        }
        emit finished(stopped, problem);
    });
    QString reason;
    const QMetaObject::Connection refused =
        connect(m_runner.get(), &VerifyRunner::failedToStart, this,
                [&reason](const QString& message) { reason = message; });
    const bool started = m_runner->start(numbers);
    disconnect(refused);
    if (!started) {
        m_runner.reset();
        if (refusal)
            *refusal = reason;
    }
    return started;
}

void VerifySession::stop()
{
    if (m_runner)
        m_runner->stop();
}

bool VerifySession::isRunning() const
{
    return m_runner && m_runner->isRunning();
}

VerifyProgress VerifySession::progress() const
{
    return m_runner ? m_runner->progress() : VerifyProgress();
}

void VerifySession::save()
{
    m_unsaved = 0;
    // Results of items deleted or changed since are of no further use.
    if (m_items.count && !isRunning())
        m_results.keepItems(m_items.count(), m_items.storedLines);
    if (!m_resultsPath.isEmpty())
        m_results.write(m_resultsPath);
}

} // namespace vexil
