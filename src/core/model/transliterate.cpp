#include "model/transliterate.h"

#include "model/cp1252.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace vexil {
namespace {

icu::UnicodeString toIcu(QStringView text)
{
    return icu::UnicodeString(reinterpret_cast<const char16_t*>(text.utf16()),
                              int32_t(text.size()));
}

QString fromIcu(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

// A transliterator for each thread: ICU's are not to be shared between threads while they run.
std::unique_ptr<icu::Transliterator> makeTransliterator(const char* id)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(
        icu::UnicodeString::fromUTF8(id), UTRANS_FORWARD, status));
    return U_SUCCESS(status) ? std::move(made) : nullptr;
}

QString transliterated(const char* id, QStringView text)
{
    thread_local std::unique_ptr<icu::Transliterator> anyLatin = makeTransliterator("Any-Latin");
    thread_local std::unique_ptr<icu::Transliterator> latinAscii =
        makeTransliterator("Latin-ASCII");
    icu::Transliterator* transliterator =
        qstrcmp(id, "Any-Latin") == 0 ? anyLatin.get() : latinAscii.get();
    if (!transliterator)
        return text.toString();
    icu::UnicodeString icu = toIcu(text);
    transliterator->transliterate(icu);
    return fromIcu(icu);
}

} // namespace

QString TransliteratedToWindows1252(const QString& text)
{
    if (cp1252::canEncode(text))
        return text;
    const QString latin = transliterated("Any-Latin", text);
    // Letter by letter, so that the letters Windows-1252 has keep their accents.
    QString out;
    out.reserve(latin.size());
    for (qsizetype i = 0; i < latin.size(); ++i) {
        qsizetype length = 1;
        if (latin[i].isHighSurrogate() && i + 1 < latin.size() && latin[i + 1].isLowSurrogate())
            length = 2;
        const QStringView unit = QStringView(latin).mid(i, length);
        i += length - 1;
        if (cp1252::canEncode(unit)) {
            out += unit;
            continue;
        }
        const QString ascii = transliterated("Latin-ASCII", unit);
        for (QChar c : ascii)
            if (cp1252::canEncode(QStringView(&c, 1)))
                out += c;
    }
    return out;
}

} // namespace vexil
