// Readable Qt strings and bytes in test failure messages.
#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// File contents, control bytes escaped.
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"';
    for (const char byte : bytes) {
        if (byte == '\r')
            *out << "\\r";
        else if (byte == '\n')
            *out << "\\n";
        else
            *out << byte;
    }
    *out << '"';
}
