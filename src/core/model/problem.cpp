#include "model/problem.h"

#include "model/failure.h"

namespace vexil {
namespace {

constexpr qsizetype kRecordSize = 96;

quint32 readUnsigned(QByteArrayView bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i) {
        const qsizetype p = at + i;
        value = value << 8 | (p >= 0 && p < bytes.size() ? quint8(bytes[p]) : 0u);
    }
    return value;
}

// A length-prefixed string: cut at its first zero byte and at the end of the file; empty when
// its offset (or its length) lies beyond the end.
QByteArray pbmString(QByteArrayView file, quint32 offset)
{
    if (qsizetype(offset) + 2 > file.size())
        return {};
    const quint32 length = readUnsigned(file, offset, 2);
    const qsizetype start = qsizetype(offset) + 2;
    QByteArrayView text = file.sliced(start, qMin<qsizetype>(length, file.size() - start));
    const qsizetype zero = text.indexOf('\0');
    if (zero >= 0)
        text = text.first(zero);
    return text.toByteArray();
}

// Apostrophes become backquotes and every line break, CR LF or a lone CR or LF, becomes the
// stored "\n": a break left in the text would split the block and the written file would not
// open.
QByteArray escaped(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'') {
            out += '`';
        } else if (c == '\r' || c == '\n') {
            out += "\\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// Stipulation parts shared by the record word and the twin operation.
QByteArray playAndMoves(unsigned flags, int moves)
{
    QByteArray text;
    if (flags & 8)
        text += "ser";
    static const char* const kinds[] = {"", "H", "S", "R"};
    text += kinds[flags & 3];
    text += (flags & 16) ? "=" : "#";
    text += QByteArray::number(moves);
    return text;
}

QByteArray operationText(int operation, unsigned char p1, unsigned char p2, unsigned char p3)
{
    switch (operation) {
    case 1:
        return "Move " + PbmSquare(p1) + " " + PbmSquare(p2);
    case 2:
        return "Remove " + PbmSquare(p1);
    case 3:
        return "Add " + PbmPiece(p3) + PbmSquare(p1);
    case 4:
        return "Remove " + PbmSquare(p1) + " Add " + PbmPiece(p3) + PbmSquare(p2);
    case 5:
        return "Exchange " + PbmSquare(p1) + " " + PbmSquare(p2);
    case 6:
        return "Rotate 90";
    case 7:
        return "Rotate 180";
    case 8:
        return "Rotate 270";
    case 9:
        return "Shift " + PbmSquare(p1) + " " + PbmSquare(p2);
    case 10:
        return "ShiftCylinder " + PbmSquare(p1) + " " + PbmSquare(p2);
    case 11:
        return "Mirror a1<-->h1";
    case 12:
        return "Mirror a1<-->a8";
    case 13: {
        const unsigned f = unsigned(p1 - 32) & 0xFF;
        QByteArray text = "Stipulation " + playAndMoves(f, int(p2) - 32);
        if (f & 32)
            text += " Condition Maximummer";
        if (f & 4)
            text += " Condition WhiteToPlay";
        return text;
    }
    case 14:
        return "AfterKey";
    case 15:
        return "PolishType";
    case 16:
        return "Duplex";
    default:
        return {};
    }
}

} // namespace

PieceCode PbmBoardCode(unsigned char byte)
{
    switch (byte) {
    case 33:
        return 3;
    case 34:
        return 9;
    case 35:
        return 7;
    case 36:
        return 5;
    case 37:
        return 1;
    case 38:
        return 11;
    case 42:
        return 12;
    case 43:
        return 2;
    case 44:
        return 6;
    case 45:
        return 8;
    case 46:
        return 10;
    case 47:
        return 4;
    default:
        return 0;
    }
}

QByteArray PbmPiece(unsigned char byte)
{
    const PieceCode code = PbmBoardCode(byte);
    if (code == 0)
        return {};
    return QByteArray(code % 2 ? "white " : "black ") + PieceLetters[code];
}

QByteArray PbmSquare(unsigned char byte)
{
    const int rank = 8 - (int(byte) - 32) / 8;
    return QByteArray(1, char('a' + (byte & 7))) + QByteArray::number(rank);
}

QByteArray PbmStipulation(quint16 word)
{
    QByteArray text = playAndMoves(word & 0xFF, word >> 8);
    if (word & 32)
        text += " Maximummer";
    if (word & 4)
        text += " WhiteToPlay";
    return text;
}

QByteArray DecodePbmTwins(QByteArrayView s)
{
    if (s.isEmpty())
        return {};
    auto at = [&](qsizetype i) { return i < s.size() ? quint8(s[i]) : quint8(0); };
    const QByteArray lineStart =
        QByteArray(at(1) == ' ' ? "\\nTwin " : "\\nZero ") + (at(0) == '~' ? "Cont " : "");
    QByteArray result = " ";
    quint8 previous = ' ';
    const qsizetype groups = s.size() / 4;
    for (qsizetype i = 0; i < groups; ++i) {
        const quint8 op = at(4 * i + 1);
        if (i == 0 || previous < 64 || previous > 80)
            result += lineStart;
        else
            result += ' ';
        int operation = -1;
        if (op >= 32 && op <= 48)
            operation = op - 32;
        else if (op >= 64 && op <= 80)
            operation = op - 64;
        if (operation == 0 && i == 0)
            result = " ";
        else if (operation > 0)
            result += operationText(operation, at(4 * i + 2), at(4 * i + 3), at(4 * i + 4));
        previous = op;
    }
    return result;
}

qint64 PbmOutputLimit(qint64 fileSize)
{
    // A record's own texts are bounded by the format (seven of at most 65,535 bytes, twins
    // of some 16,000 operations: about 1.2 MB), so one record alone always fits the slack.
    return 64 * fileSize + 4 * 1024 * 1024;
}

Lines ConvertPbm(QByteArrayView bytes, const Progress& progress)
{
    Lines lines;
    EmptyItem(lines, 0);
    const quint32 last = readUnsigned(bytes, 0, 2);
    const qint64 limit = PbmOutputLimit(bytes.size());
    qint64 written = 0;
    for (quint32 i = 0; i <= last; ++i) {
        const qsizetype start = 2 + kRecordSize * qsizetype(i);
        if (start + kRecordSize > bytes.size())
            break; // only records that lie wholly inside the file
        for (qsizetype n = lines.size() - kItemLines; n >= 0 && n < lines.size(); ++n)
            written += lines[n].size() + 2;
        if (written > limit)
            throw Failure::error(
                QStringLiteral("The pbm file would make a collection of more than %1 MB from "
                               "%2 KB: its records share the same texts too often. Nothing was "
                               "imported.")
                    .arg(limit / (1024 * 1024))
                    .arg((bytes.size() + 1023) / 1024));
        if (i % 256 == 0)
            ReportProgress(progress, start, bytes.size());
        const QByteArrayView record = bytes.sliced(start, kRecordSize);
        auto text = [&](int field) { return pbmString(bytes, readUnsigned(record, field, 4)); };

        lines.append(ItemHeaderLine(int(i) + 1));
        for (int r = 0; r < 8; ++r) {
            QByteArray row;
            row.reserve(32);
            row += r == 0 ? "([" : "[";
            for (int c = 0; c < 8; ++c) {
                if (c)
                    row += ',';
                const PieceCode code = PbmBoardCode(quint8(record[32 + 8 * r + c]));
                if (code >= 10)
                    row += '1';
                row += char('0' + code % 10);
            }
            row += "],";
            lines.append(row);
        }
        lines.append("['" + escaped(text(4) + ' ' + text(16) + ' ' + text(28)) + "'],");
        lines.append("['" + escaped(text(12) + ' ' + text(8)) + "'],");
        lines.append("['" + escaped(text(20)) + "'],");

        QByteArray stipulation = PbmStipulation(quint16(readUnsigned(record, 2, 2)));
        QByteArray twins = DecodePbmTwins(text(24));
        const qsizetype duplex = twins.indexOf("Duplex");
        if (duplex >= 0) {
            if (duplex >= 7)
                twins.remove(duplex - 7, 13);
            stipulation += " Duplex";
        }
        lines.append("['" + stipulation + twins + "']);");
        lines.append(QByteArray());
    }
    return lines;
}

} // namespace vexil
