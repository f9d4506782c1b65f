#pragma once

#include <QString>

namespace vexil {

// Thrown to end the running operation without a further message (a Cancel answer).
struct Abandon {};

// Thrown to end the running operation with a message for the user. A refusal is a plain
// message ("Invalid file format!"); an error is what the platform's error report would show
// (a conversion error, a file that cannot be read or written).
struct Failure {
    enum class Kind { Refusal, Error };
    QString message;
    Kind kind = Kind::Error;

    static Failure refusal(const QString& text) { return {text, Kind::Refusal}; }
    static Failure error(const QString& text) { return {text, Kind::Error}; }
};

inline const QString kInvalidFileFormat = QStringLiteral("Invalid file format!");

inline Failure notAnInteger(const QString& text)
{
    return Failure::error(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

// The platform's reports for files that cannot be read or written.
inline Failure cannotOpen(const QString& path)
{
    return Failure::error(QStringLiteral("Cannot open file %1").arg(path));
}
inline Failure cannotCreate(const QString& path)
{
    return Failure::error(QStringLiteral("Cannot create file %1").arg(path));
}

} // namespace vexil
