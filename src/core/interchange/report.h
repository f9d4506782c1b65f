#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vexil {

// What a conversion between the collection and another format could not carry over, entry by
// entry, so that the user sees it before anything is lost.
struct ReportNote {
    int entry = 0; // 1-based: the entry of the file read, or the item written
    QString label; // how the entry is named to the user ("entry 3", "item 12")
    QString text;  // what could not be held
    bool operator==(const ReportNote&) const = default;
};

class InterchangeReport {
public:
    void add(int entry, const QString& label, const QString& text);
    void addGeneral(const QString& text); // concerns the whole file

    bool isEmpty() const { return m_notes.isEmpty(); }
    const QList<ReportNote>& notes() const { return m_notes; }
    // The notes of one entry, in the order they were made.
    QStringList notesOf(int entry) const;
    // One line per note, "entry 3: keyword "Rundlauf" has no place in an item".
    QStringList lines() const;
    QString text() const { return lines().join(QLatin1Char('\n')); }

    // Many entries can fail the same way; beyond this many notes only their number is kept,
    // so that a report on a huge file stays readable and small.
    static constexpr int kMaxNotes = 2000;
    // A note is cut to this many characters, and a text it quotes to kMaxQuoted; past
    // kMaxCharacters in all only the number of further notes is kept.
    static constexpr int kMaxNoteLength = 1000;
    static constexpr int kMaxQuoted = 200;
    static constexpr qsizetype kMaxCharacters = 512 * 1024;
    int droppedNotes() const { return m_dropped; }
    // Notes left out before they reached the report, counted with the dropped ones.
    void countDropped(int notes) { m_dropped += notes; }

private:
    QList<ReportNote> m_notes;
    int m_dropped = 0;
    qsizetype m_characters = 0;
};

} // namespace vexil
