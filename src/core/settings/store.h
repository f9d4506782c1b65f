#pragma once

#ifdef Q_OS_WIN
#include <QSettings>
#endif
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace vexil {

// A per-user store of named values under key paths such as "Software\Vexil\Colors", with the
// two kinds of the registry: 32-bit integers and texts (and expandable texts, read literally).
class SettingsStore {
public:
    struct Value {
        enum class Kind { Integer, Text, ExpandableText };
        Kind kind = Kind::Integer;
        quint32 integer = 0;
        QString text;

        static Value ofInteger(quint32 v) { return {Kind::Integer, v, {}}; }
        static Value ofText(const QString& t) { return {Kind::Text, 0, t}; }
        bool isText() const { return kind != Kind::Integer; }
        bool operator==(const Value&) const = default;
    };
    using Values = QList<QPair<QString, Value>>;

    virtual ~SettingsStore() = default;
    virtual bool keyExists(const QString& key) const = 0;
    virtual std::optional<Value> value(const QString& key, const QString& name) const = 0;
    // Writes the values into the key, creating it; false when the store cannot be written.
    virtual bool write(const QString& key, const Values& values) = 0;
};

// The store as a text file in the registry's export style:
//
//     Windows Registry Editor Version 5.00
//
//     [HKEY_CURRENT_USER\Software\Vexil\Colors]
//     "White"=dword:8000000f
//     "PopeyeExe"="C:\\Popeye\\py.exe"
//
// Every write reads the file again and replaces it atomically with what it holds now and the
// values written, so two programs sharing the file keep each other's changes. A file that
// cannot be parsed is never written over: before the write its text is kept beside it as
// "<file>.damaged".
class FileSettingsStore : public SettingsStore {
public:
    explicit FileSettingsStore(const QString& path);

    // Empty when the file was read (or did not exist), otherwise what is wrong with it.
    const QString& damage() const { return m_damage; }
    const QString& path() const { return m_path; }

    bool keyExists(const QString& key) const override;
    std::optional<Value> value(const QString& key, const QString& name) const override;
    bool write(const QString& key, const Values& values) override;

    // The file's text for these keys; parse() reads it back.
    static QString format(const QList<QPair<QString, Values>>& keys);
    // False, with the line and what is wrong in `error`, for a text that is not a store.
    static bool parse(const QString& text, QList<QPair<QString, Values>>& keys, QString& error);

private:
    // The file's keys as they are now; empty when the file is missing or damaged, and then
    // what is wrong with it.
    QString readKeys(QList<QPair<QString, Values>>& keys) const;

    QString m_path;
    QString m_damage;
    QList<QPair<QString, Values>> m_keys; // in file order
};

#ifdef Q_OS_WIN
// The registry's current-user hive.
class RegistrySettingsStore : public SettingsStore {
public:
    RegistrySettingsStore();
    bool keyExists(const QString& key) const override;
    std::optional<Value> value(const QString& key, const QString& name) const override;
    bool write(const QString& key, const Values& values) override;

private:
    QSettings m_settings;
};
#endif

// The usual per-user place: "Vexil/settings.reg" in the user's configuration folder.
QString DefaultSettingsPath();

// The platform's store: the registry on Windows, elsewhere the file at `path` (the usual
// place when empty).
std::unique_ptr<SettingsStore> OpenSettingsStore(const QString& path = QString());

} // namespace vexil
