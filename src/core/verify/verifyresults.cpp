#include "verify/verifyresults.h"

#include "model/atomicfile.h"
#include "model/collection.h"
#include "model/failure.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vexil {

namespace {

// Far more than the results of the largest collection take; a file beyond it is not ours.
constexpr qint64 kMaxResultsBytes = qint64(64) << 20;

struct ResultsBytes {
    enum class State { Missing, Read, Unreadable, Refused } state = State::Missing;
    QByteArray bytes;
    QString why; // for Refused
};

// The bytes of a results file, read only from a regular file of a sensible size: a pipe of
// that name would block the program, a device could be endless, and a link may lead to
// anything of the user's.
ResultsBytes readResultsBytes(const QString& path)
{
    ResultsBytes found;
    const QString notRegular = QStringLiteral("%1 is not a regular file").arg(path);
    const QString tooLarge = QStringLiteral("%1 is larger than 64 MB").arg(path);
    QFile file;
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return found;
        found.state =
            errno == ELOOP ? ResultsBytes::State::Refused : ResultsBytes::State::Unreadable;
        found.why = notRegular;
        return found;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        found.state = ResultsBytes::State::Refused;
        found.why = notRegular;
        return found;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        found.state = ResultsBytes::State::Unreadable;
        return found;
    }
#else
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return found;
    if (info.isSymLink() || !info.isFile()) {
        found.state = ResultsBytes::State::Refused;
        found.why = notRegular;
        return found;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        found.state = ResultsBytes::State::Unreadable;
        return found;
    }
#endif
    // The size is looked at again while reading: the file may grow meanwhile.
    found.bytes = file.size() > kMaxResultsBytes ? QByteArray() : file.read(kMaxResultsBytes + 1);
    if (file.size() > kMaxResultsBytes || found.bytes.size() > kMaxResultsBytes) {
        found.state = ResultsBytes::State::Refused;
        found.why = tooLarge;
        found.bytes.clear();
    } else {
        found.state = file.error() == QFileDevice::NoError ? ResultsBytes::State::Read
                                                           : ResultsBytes::State::Unreadable;
    }
    return found;
}

constexpr auto kFormat = "vexil-verify";
constexpr int kVersion = 1;

std::optional<MoveMatch> moveMatchFromText(const QString& text)
{
    for (MoveMatch match : {MoveMatch::Yes, MoveMatch::No, MoveMatch::Unknown})
        if (MoveMatchText(match) == text)
            return match;
    return std::nullopt;
}

QJsonObject toJson(const VerifyRecord& record)
{
    return QJsonObject{
        {QStringLiteral("number"), record.number},
        {QStringLiteral("key"), QString::fromLatin1(record.key)},
        {QStringLiteral("options"), record.options},
        {QStringLiteral("outcome"), OutcomeText(record.outcome)},
        {QStringLiteral("detail"), record.detail},
        {QStringLiteral("solutions"), record.solutions},
        {QStringLiteral("moves"), QJsonArray::fromStringList(record.firstMoves)},
        {QStringLiteral("stored"), MoveMatchText(record.storedMove)},
        {QStringLiteral("seconds"), record.seconds},
        {QStringLiteral("interrupted"), record.interrupted},
        {QStringLiteral("output"), record.output},
    };
}

std::optional<VerifyRecord> fromJson(const QJsonObject& object)
{
    VerifyRecord record;
    record.number = object.value(QStringLiteral("number")).toInt(-1);
    record.key = object.value(QStringLiteral("key")).toString().toLatin1();
    const auto outcome = OutcomeFromText(object.value(QStringLiteral("outcome")).toString());
    const auto stored = moveMatchFromText(object.value(QStringLiteral("stored")).toString());
    if (record.number < 0 || record.key.isEmpty() || !outcome || !stored)
        return std::nullopt;
    record.outcome = *outcome;
    record.storedMove = *stored;
    record.options = object.value(QStringLiteral("options")).toString();
    record.detail = object.value(QStringLiteral("detail")).toString();
    record.solutions = object.value(QStringLiteral("solutions")).toInt();
    for (const QJsonValue& move : object.value(QStringLiteral("moves")).toArray())
        record.firstMoves.append(move.toString());
    record.seconds = object.value(QStringLiteral("seconds")).toDouble();
    record.interrupted = object.value(QStringLiteral("interrupted")).toBool();
    record.output = object.value(QStringLiteral("output")).toString();
    return record;
}

} // namespace

QString RecordOutcomeText(const VerifyRecord& record)
{
    const QString text = OutcomeText(record.outcome);
    // A time limit says so by itself.
    return record.interrupted && record.outcome != Outcome::TimeLimit
               ? text + QStringLiteral(" (interrupted)")
               : text;
}

QString VerifyResultsPath(const QString& collectionPath)
{
    return collectionPath + QStringLiteral(".verify");
}

QString VerifyOptionsText(int maxTimeSeconds)
{
    return QStringLiteral("MaxTime %1").arg(maxTimeSeconds);
}

QByteArray ItemKey(QByteArrayView storedLines, QStringView options)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(storedLines);
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(options.toUtf8());
    return hash.result().toHex();
}

QByteArray StoredItemLines(const Collection& collection, int number)
{
    const int header = collection.FindItemLine(number);
    if (header < 0)
        return QByteArray();
    QByteArray lines;
    for (int i = 1; i < kItemLines; ++i)
        lines += collection.line(header + i) + "\r\n";
    return lines;
}

VerifyResults VerifyResults::read(const QString& path, QString* problem, bool* mayWrite)
{
    VerifyResults results;
    if (mayWrite)
        *mayWrite = true;
    const ResultsBytes found = readResultsBytes(path);
    QString trouble;
    switch (found.state) {
    case ResultsBytes::State::Missing:
        return results;
    case ResultsBytes::State::Refused:
        // Not ours to read nor to replace: this session's results stay in memory.
        if (mayWrite)
            *mayWrite = false;
        if (problem)
            *problem =
                found.why + QStringLiteral("; the results of this session are kept until Vexil "
                                           "ends and not written there");
        return results;
    case ResultsBytes::State::Unreadable:
        trouble = QStringLiteral("Cannot open file %1").arg(path);
        break;
    case ResultsBytes::State::Read: {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(found.bytes, &error);
        const QJsonObject root = document.object();
        if (error.error != QJsonParseError::NoError ||
            root.value(QStringLiteral("format")).toString() != QLatin1String(kFormat) ||
            root.value(QStringLiteral("version")).toInt() != kVersion) {
            trouble = QStringLiteral("%1 holds no verification results").arg(path);
        } else {
            int unreadable = 0;
            for (const QJsonValue& value : root.value(QStringLiteral("items")).toArray()) {
                if (const auto record = fromJson(value.toObject()))
                    results.put(*record);
                else
                    ++unreadable;
            }
            if (unreadable > 0)
                trouble =
                    QStringLiteral("%1 results of %2 could not be read").arg(unreadable).arg(path);
        }
        break;
    }
    }
    if (!trouble.isEmpty()) {
        const QString kept = path + QStringLiteral(".damaged");
        bool copied = found.state == ResultsBytes::State::Read;
        if (copied) {
            try {
                WriteFileAtomically(kept, found.bytes);
            } catch (const Failure&) {
                copied = false;
            }
        }
        // What could not be kept aside is not written over either.
        if (!copied && mayWrite)
            *mayWrite = false;
        if (problem)
            *problem = trouble + (copied ? QStringLiteral("; a copy was kept as %1").arg(kept)
                                         : QStringLiteral("; it is left as it is"));
    }
    return results;
}

QByteArray VerifyResults::toBytes() const
{
    QJsonArray items;
    for (const VerifyRecord& record : records())
        items.append(toJson(record));
    const QJsonObject root{{QStringLiteral("format"), QLatin1String(kFormat)},
                           {QStringLiteral("version"), kVersion},
                           {QStringLiteral("items"), items}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void VerifyResults::write(const QString& path) const
{
    WriteFileAtomically(path, toBytes());
}

const VerifyRecord* VerifyResults::find(const QByteArray& key) const
{
    const auto found = m_byKey.constFind(key);
    return found == m_byKey.cend() ? nullptr : &found.value();
}

void VerifyResults::put(const VerifyRecord& record)
{
    m_byKey.insert(record.key, record);
}

void VerifyResults::keepOnly(const QSet<QByteArray>& keys)
{
    m_byKey.removeIf([&](const auto& entry) { return !keys.contains(entry.key()); });
}

void VerifyResults::keepItems(int count, const std::function<QByteArray(int)>& storedLines)
{
    QSet<QString> options;
    for (const VerifyRecord& record : std::as_const(m_byKey))
        options.insert(record.options);
    QSet<QByteArray> keys;
    for (int number = 1; number <= count; ++number) {
        const QByteArray lines = storedLines(number);
        for (const QString& option : std::as_const(options))
            keys.insert(ItemKey(lines, option));
    }
    keepOnly(keys);
}

QList<VerifyRecord> VerifyResults::records() const
{
    QList<VerifyRecord> all = m_byKey.values();
    std::sort(all.begin(), all.end(), [](const VerifyRecord& a, const VerifyRecord& b) {
        return a.number != b.number ? a.number < b.number : a.key < b.key;
    });
    return all;
}

QList<int> StaleItems(const VerifyResults& results, const QList<int>& numbers,
                      const std::function<QByteArray(int)>& key)
{
    QList<int> stale;
    for (int number : numbers)
        if (!results.find(key(number)))
            stale.append(number);
    return stale;
}

} // namespace vexil
