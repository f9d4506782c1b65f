#include "verify/verifyresults.h"

#include "model/collection.h"
#include "model/failure.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace vexil {

namespace {

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

VerifyResults VerifyResults::read(const QString& path, QString* problem)
{
    VerifyResults results;
    QFile file(path);
    if (!file.exists())
        return results;
    QString trouble;
    if (!file.open(QIODevice::ReadOnly)) {
        trouble = QStringLiteral("Cannot open file %1").arg(path);
    } else {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
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
                trouble = QStringLiteral("%1 results of %2 could not be read").arg(unreadable).arg(path);
        }
        file.close();
    }
    if (!trouble.isEmpty()) {
        const QString kept = path + QStringLiteral(".damaged");
        QFile::remove(kept);
        QFile::copy(path, kept);
        if (problem)
            *problem = trouble + QStringLiteral("; a copy was kept as %1").arg(kept);
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotCreate(path);
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw cannotCreate(path);
}

const VerifyRecord* VerifyResults::find(const QByteArray& key) const
{
    const auto found = m_byKey.constFind(key);
    return found == m_byKey.cend() ? nullptr : &found.value();
}

void VerifyResults::put(const VerifyRecord& record) { m_byKey.insert(record.key, record); }

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
