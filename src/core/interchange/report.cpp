#include "interchange/report.h"

namespace vexil {

void InterchangeReport::add(int entry, const QString& label, const QString& text)
{
    const qsizetype size = label.size() + qMin<qsizetype>(text.size(), kMaxNoteLength);
    if (m_notes.size() >= kMaxNotes || m_characters + size > kMaxCharacters) {
        ++m_dropped;
        return;
    }
    m_characters += size;
    m_notes.append({entry, label,
                    text.size() > kMaxNoteLength
                        ? text.first(kMaxNoteLength) + QStringLiteral("... (cut)")
                        : text});
}

void InterchangeReport::addGeneral(const QString& text)
{
    add(0, QString(), text);
}

QStringList InterchangeReport::notesOf(int entry) const
{
    QStringList out;
    for (const ReportNote& note : m_notes)
        if (note.entry == entry)
            out << note.text;
    return out;
}

QStringList InterchangeReport::lines() const
{
    QStringList out;
    out.reserve(m_notes.size() + 1);
    for (const ReportNote& note : m_notes)
        out << (note.label.isEmpty() ? note.text : note.label + QStringLiteral(": ") + note.text);
    if (m_dropped > 0)
        out << QStringLiteral("... and %1 further notes").arg(m_dropped);
    return out;
}

} // namespace vexil
