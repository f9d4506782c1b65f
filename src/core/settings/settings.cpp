#include "settings/settings.h"

#include "settings/store.h"

#include <QGuiApplication>
#include <QPalette>

namespace vexil {

QColor PaintColor(StoredColor color)
{
    if (color & 0x80000000u) {
        // Only the face colour of buttons and dialogs is ever used; any other system colour
        // number falls back to it as well.
        return QGuiApplication::palette().color(QPalette::Button);
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

namespace {

using Value = SettingsStore::Value;

// Reads the values of one key; the first value that is missing where it must be, or of the
// wrong kind, is a problem of the whole key.
class KeyReader {
public:
    KeyReader(const SettingsStore& store, const QString& key) : m_store(store), m_key(key) {}

    quint32 integer(const QString& name, quint32 fallback, bool required)
    {
        const std::optional<Value> v = m_store.value(m_key, name);
        if (!v) {
            if (required)
                fail(name, QStringLiteral("is missing"));
            return fallback;
        }
        if (v->kind != Value::Kind::Integer)
            fail(name, QStringLiteral("is not a number"));
        return v->integer;
    }
    bool flag(const QString& name, bool fallback, bool required)
    {
        return integer(name, fallback ? 1 : 0, required) != 0;
    }
    QString text(const QString& name, const QString& fallback)
    {
        const std::optional<Value> v = m_store.value(m_key, name);
        if (!v)
            return fallback;
        if (!v->isText())
            fail(name, QStringLiteral("is not a text"));
        return v->text;
    }
    const QString& problem() const { return m_problem; }

private:
    void fail(const QString& name, const QString& what)
    {
        if (m_problem.isEmpty())
            m_problem = QStringLiteral("The setting \"%1\" in %2 %3.").arg(name, m_key, what);
    }

    const SettingsStore& m_store;
    QString m_key;
    QString m_problem;
};

QString withDefaults(const QString& problem)
{
    return problem + QStringLiteral(" Vexil uses the default values of that key; nothing is "
                                    "written to the store until you confirm the options.");
}

} // namespace

LoadedSettings LoadSettings(const SettingsStore& store)
{
    LoadedSettings loaded;
    Settings& s = loaded.settings;
    auto note = [&](const QString& problem) {
        if (loaded.problem.isEmpty() && !problem.isEmpty())
            loaded.problem = withDefaults(problem);
    };
    if (store.keyExists(kColorsKey)) {
        KeyReader key(store, kColorsKey);
        const StoredColor white = key.integer(QStringLiteral("White"), s.White, true);
        const StoredColor black = key.integer(QStringLiteral("Black"), s.Black, true);
        if (key.problem().isEmpty()) {
            s.White = white;
            s.Black = black;
        }
        note(key.problem());
    }
    if (store.keyExists(kGeneralKey)) {
        KeyReader key(store, kGeneralKey);
        Settings read = s;
        read.DragDropOnlyCursor = key.flag(QStringLiteral("DragDropOnlyCursor"), false, true);
        read.PrintCust = key.flag(QStringLiteral("PrintCust"), false, true);
        read.CopyCust = key.flag(QStringLiteral("CopyCust"), false, true);
        read.ViewCust = key.flag(QStringLiteral("ViewCust"), false, true);
        read.LayoutCust = key.flag(QStringLiteral("LayoutCust"), s.LayoutCust, false);
        read.PopeyeExe = key.text(QStringLiteral("PopeyeExe"), s.PopeyeExe);
        read.PopeyeMem = key.text(QStringLiteral("PopeyeMem"), s.PopeyeMem);
        read.SfExe = key.text(QStringLiteral("SfExe"), s.SfExe);
        read.SfHash = key.text(QStringLiteral("SfHash"), s.SfHash);
        read.SfThreads = key.text(QStringLiteral("SfThreads"), s.SfThreads);
        read.SfTime = key.text(QStringLiteral("SfTime"), s.SfTime);
        if (key.problem().isEmpty())
            s = read;
        note(key.problem());
    }
    if (s.LayoutCust && store.keyExists(kLayoutKey)) {
        KeyReader key(store, kLayoutKey);
        auto point = [&](const char* left, const char* top) {
            return QPoint(int(key.integer(QLatin1String(left), 0, true)),
                          int(key.integer(QLatin1String(top), 0, true)));
        };
        WindowLayout layout;
        layout.main = point("VexilL", "VexilT");
        layout.list = point("ListL", "ListT");
        layout.solve = point("PopeyeL", "PopeyeT");
        layout.clipboard = point("ClipbL", "ClipbT");
        if (key.problem().isEmpty())
            loaded.layout = layout;
        note(key.problem());
    }
    return loaded;
}

bool SaveSettings(SettingsStore& store, const Settings& s)
{
    auto flag = [](bool b) { return Value::ofInteger(b ? 1 : 0); };
    const bool colors =
        store.write(kColorsKey, {{QStringLiteral("White"), Value::ofInteger(s.White)},
                                 {QStringLiteral("Black"), Value::ofInteger(s.Black)}});
    const bool general = store.write(
        kGeneralKey, {{QStringLiteral("DragDropOnlyCursor"), flag(s.DragDropOnlyCursor)},
                      {QStringLiteral("PrintCust"), flag(s.PrintCust)},
                      {QStringLiteral("CopyCust"), flag(s.CopyCust)},
                      {QStringLiteral("ViewCust"), flag(s.ViewCust)},
                      {QStringLiteral("LayoutCust"), flag(s.LayoutCust)},
                      {QStringLiteral("PopeyeExe"), Value::ofText(s.PopeyeExe)},
                      {QStringLiteral("PopeyeMem"), Value::ofText(s.PopeyeMem)},
                      {QStringLiteral("SfExe"), Value::ofText(s.SfExe)},
                      {QStringLiteral("SfTime"), Value::ofText(s.SfTime)},
                      {QStringLiteral("SfThreads"), Value::ofText(s.SfThreads)},
                      {QStringLiteral("SfHash"), Value::ofText(s.SfHash)}});
    return colors && general;
}

bool SaveLayout(SettingsStore& store, const WindowLayout& layout)
{
    auto v = [](int i) { return Value::ofInteger(quint32(i)); };
    return store.write(kLayoutKey, {{QStringLiteral("VexilL"), v(layout.main.x())},
                                    {QStringLiteral("VexilT"), v(layout.main.y())},
                                    {QStringLiteral("ListL"), v(layout.list.x())},
                                    {QStringLiteral("ListT"), v(layout.list.y())},
                                    {QStringLiteral("PopeyeL"), v(layout.solve.x())},
                                    {QStringLiteral("PopeyeT"), v(layout.solve.y())},
                                    {QStringLiteral("ClipbL"), v(layout.clipboard.x())},
                                    {QStringLiteral("ClipbT"), v(layout.clipboard.y())}});
}

std::optional<MainWindowSize> LoadMainWindowSize(const SettingsStore& store)
{
    const auto number = [&](const char* name) -> std::optional<int> {
        const std::optional<Value> v = store.value(kWindowKey, QLatin1String(name));
        // A negative size comes back as a huge dword; neither is a size.
        if (!v || v->isText() || v->integer > 100000)
            return std::nullopt;
        return int(v->integer);
    };
    const std::optional<int> width = number("Width"), height = number("Height");
    if (!width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    return MainWindowSize{{*width, *height}, number("Maximized").value_or(0) != 0};
}

bool SaveMainWindowSize(SettingsStore& store, const MainWindowSize& window)
{
    auto v = [](int i) { return Value::ofInteger(quint32(i)); };
    return store.write(kWindowKey, {{QStringLiteral("Width"), v(window.size.width())},
                                    {QStringLiteral("Height"), v(window.size.height())},
                                    {QStringLiteral("Maximized"), v(window.maximized ? 1 : 0)}});
}

QSize FitWindowSize(QSize stored, QSize minimum, QSize available)
{
    return stored.boundedTo(available).expandedTo(minimum);
}

StoredColor ToStoredColor(const QColor& color)
{
    return StoredColor(color.red()) | StoredColor(color.green()) << 8 |
           StoredColor(color.blue()) << 16;
}

} // namespace vexil
