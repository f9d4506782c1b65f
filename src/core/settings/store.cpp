#include "settings/store.h"

#include "model/atomicfile.h"
#include "model/collection.h"
#include "model/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

namespace vexil {
namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kHive = QStringLiteral("HKEY_CURRENT_USER\\");

QString quoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

// Reads a quoted text starting at `pos` (at the opening quote); advances past the closing one.
bool unquote(const QString& line, qsizetype& pos, QString& text)
{
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        return false;
    text.clear();
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        }
        if (c == QLatin1Char('\\')) {
            if (++pos >= line.size())
                return false;
            const QChar e = line[pos];
            text += e == QLatin1Char('n') ? QChar('\n') : e == QLatin1Char('r') ? QChar('\r') : e;
        } else {
            text += c;
        }
    }
    return false;
}

bool parseValue(const QString& data, SettingsStore::Value& value)
{
    using Kind = SettingsStore::Value::Kind;
    if (data.startsWith(QLatin1Char('"'))) {
        qsizetype pos = 0;
        QString text;
        if (!unquote(data, pos, text) || pos != data.size())
            return false;
        value = {Kind::Text, 0, text};
        return true;
    }
    if (data.startsWith(QLatin1String("dword:"))) {
        const QString digits = data.mid(6);
        bool ok = false;
        const quint32 v = digits.toUInt(&ok, 16);
        if (!ok || digits.size() != 8)
            return false;
        value = {Kind::Integer, v, {}};
        return true;
    }
    if (data.startsWith(QLatin1String("hex(2):"))) {
        // An expandable text: UTF-16 little-endian bytes with their terminating zero.
        QByteArray bytes;
        const QString hex = data.mid(7);
        if (!hex.isEmpty())
            for (const QString& b : hex.split(QLatin1Char(','))) {
                bool ok = false;
                const uint v = b.trimmed().toUInt(&ok, 16);
                if (!ok || v > 0xFF)
                    return false;
                bytes += char(v);
            }
        if (bytes.size() % 2)
            return false;
        QString text(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
        while (text.endsWith(QChar(0)))
            text.chop(1);
        value = {Kind::ExpandableText, 0, text};
        return true;
    }
    return false;
}

QString formatValue(const SettingsStore::Value& value)
{
    if (value.kind == SettingsStore::Value::Kind::Integer)
        return QStringLiteral("dword:%1").arg(value.integer, 8, 16, QLatin1Char('0'));
    return quoted(value.text);
}

} // namespace

#ifdef Q_OS_WIN
RegistrySettingsStore::RegistrySettingsStore()
    : m_settings(QStringLiteral("HKEY_CURRENT_USER"), QSettings::NativeFormat)
{
}

bool RegistrySettingsStore::keyExists(const QString& key) const
{
    QSettings& s = const_cast<QSettings&>(m_settings);
    const QStringList parts = key.split(QLatin1Char('\\'));
    s.beginGroup(parts.mid(0, parts.size() - 1).join(QLatin1Char('/')));
    const bool exists = s.childGroups().contains(parts.last(), Qt::CaseInsensitive);
    s.endGroup();
    return exists;
}

std::optional<SettingsStore::Value> RegistrySettingsStore::value(const QString& key,
                                                                 const QString& name) const
{
    const QString path =
        QString(key).replace(QLatin1Char('\\'), QLatin1Char('/')) + QLatin1Char('/') + name;
    const QVariant v = m_settings.value(path);
    if (!v.isValid())
        return std::nullopt;
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::UInt)
        return Value::ofInteger(v.toUInt());
    if (v.typeId() == QMetaType::QString)
        return Value::ofText(v.toString());
    return Value{Value::Kind::ExpandableText, 0, QString()}; // another kind: not usable
}

bool RegistrySettingsStore::write(const QString& key, const Values& values)
{
    const QString group = QString(key).replace(QLatin1Char('\\'), QLatin1Char('/'));
    for (const auto& [name, value] : values) {
        if (value.kind == Value::Kind::Integer)
            m_settings.setValue(group + QLatin1Char('/') + name, qint32(value.integer));
        else
            m_settings.setValue(group + QLatin1Char('/') + name, value.text);
    }
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}
#endif

QString DefaultSettingsPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Vexil/settings.reg"));
}

FileSettingsStore::FileSettingsStore(const QString& path) : m_path(path)
{
    m_damage = readKeys(m_keys);
}

QString FileSettingsStore::readKeys(QList<QPair<QString, Values>>& keys) const
{
    keys.clear();
    QFile file(m_path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read");
    QString error;
    if (!parse(QString::fromUtf8(file.readAll()), keys, error)) {
        keys.clear();
        return error;
    }
    return {};
}

bool FileSettingsStore::parse(const QString& text, QList<QPair<QString, Values>>& keys,
                              QString& error)
{
    keys.clear();
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool header = false;
    QHash<QString, qsizetype> names; // of the last key, case folded: 1 + where each stands
    QList<qsizetype> dropped;        // of the last key: values given again later
    auto dropRepeated = [&] {
        if (!dropped.isEmpty()) {
            std::sort(dropped.begin(), dropped.end());
            Values& values = keys.last().second;
            Values kept;
            kept.reserve(values.size() - dropped.size());
            for (qsizetype i = 0, d = 0; i < values.size(); ++i) {
                if (d < dropped.size() && dropped[d] == i)
                    ++d;
                else
                    kept.append(std::move(values[i]));
            }
            values = std::move(kept);
        }
        names.clear();
        dropped.clear();
    };
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        auto fail = [&](const QString& what) {
            error = QStringLiteral("line %1: %2").arg(i + 1).arg(what);
            return false;
        };
        if (!header) {
            if (trimmed != kHeader)
                return fail(QStringLiteral("the first line is not \"%1\"").arg(kHeader));
            header = true;
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']')))
                return fail(QStringLiteral("a key without its closing bracket"));
            QString key = trimmed.mid(1, trimmed.size() - 2);
            if (!key.startsWith(kHive, Qt::CaseInsensitive))
                return fail(QStringLiteral("a key outside HKEY_CURRENT_USER"));
            if (!keys.isEmpty())
                dropRepeated();
            keys.append({key.mid(kHive.size()), {}});
            continue;
        }
        if (keys.isEmpty())
            return fail(QStringLiteral("a value before any key"));
        qsizetype pos = 0;
        QString name;
        if (!unquote(trimmed, pos, name) || pos >= trimmed.size() ||
            trimmed[pos] != QLatin1Char('='))
            return fail(QStringLiteral("a value without a quoted name and \"=\""));
        Value value;
        if (!parseValue(trimmed.mid(pos + 1), value))
            return fail(QStringLiteral("a value that is neither dword, text nor hex(2)"));
        // A name given twice keeps its last value, in the place of the last: the earlier one
        // is marked and dropped when the key ends, so that reading stays linear in the file.
        Values& values = keys.last().second;
        qsizetype& at = names[name.toCaseFolded()];
        if (at > 0)
            dropped.append(at - 1);
        at = values.size() + 1; // 0 is a name not seen before
        values.append({name, value});
    }
    dropRepeated();
    return true;
}

QString FileSettingsStore::format(const QList<QPair<QString, Values>>& keys)
{
    QString text = kHeader + QStringLiteral("\n");
    for (const auto& [key, values] : keys) {
        text += QStringLiteral("\n[") + kHive + key + QStringLiteral("]\n");
        for (const auto& [name, value] : values)
            text += quoted(name) + QLatin1Char('=') + formatValue(value) + QLatin1Char('\n');
    }
    return text;
}

bool FileSettingsStore::keyExists(const QString& key) const
{
    return std::any_of(m_keys.begin(), m_keys.end(), [&](const auto& k) {
        return k.first.compare(key, Qt::CaseInsensitive) == 0;
    });
}

std::optional<SettingsStore::Value> FileSettingsStore::value(const QString& key,
                                                             const QString& name) const
{
    for (const auto& [k, values] : m_keys) {
        if (k.compare(key, Qt::CaseInsensitive) != 0)
            continue;
        for (const auto& [n, v] : values)
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                return v;
    }
    return std::nullopt;
}

bool FileSettingsStore::write(const QString& key, const Values& values)
{
    // Another running Vexil may have written since this one read: its values stay, only the
    // ones written here replace theirs. A file that cannot be read now is kept aside as below,
    // and what this store read at start stands in for it.
    QList<QPair<QString, Values>> keys;
    const QString damage = readKeys(keys);
    if (!damage.isEmpty())
        keys = m_keys;
    auto it = std::find_if(keys.begin(), keys.end(), [&](const auto& k) {
        return k.first.compare(key, Qt::CaseInsensitive) == 0;
    });
    if (it == keys.end()) {
        keys.append({key, {}});
        it = keys.end() - 1;
    }
    auto& existing = it->second;
    QHash<QString, qsizetype> places;
    for (qsizetype i = 0; i < existing.size(); ++i)
        places.insert(existing[i].first.toCaseFolded(), i);
    for (const auto& named : values) {
        const auto at = places.constFind(named.first.toCaseFolded());
        if (at != places.cend()) {
            existing[*at].second = named.second;
        } else {
            places.insert(named.first.toCaseFolded(), existing.size());
            existing.append(named);
        }
    }
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    if (!damage.isEmpty()) {
        // What could not be read is kept, not written over.
        try {
            WriteFileAtomically(m_path + QStringLiteral(".damaged"), ReadWholeFile(m_path));
        } catch (const Failure&) {
            return false;
        }
    }
    try {
        WriteFileAtomically(m_path, format(keys).toUtf8());
    } catch (const Failure&) {
        return false;
    }
    m_keys = keys;
    m_damage.clear();
    return true;
}

} // namespace vexil

namespace vexil {

std::unique_ptr<SettingsStore> OpenSettingsStore(const QString& path)
{
#ifdef Q_OS_WIN
    if (path.isEmpty())
        return std::make_unique<RegistrySettingsStore>();
#endif
    return std::make_unique<FileSettingsStore>(path.isEmpty() ? DefaultSettingsPath() : path);
}

} // namespace vexil
