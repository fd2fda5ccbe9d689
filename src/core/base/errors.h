#pragma once
// Exceptions of the core. Messages are user-facing texts (Japanese where the
// program shows them); the UI shows message() in its error box.
#include <QByteArray>
#include <QString>
#include <exception>

namespace vorq {

class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A text that should hold an integer does not (a chart line's rank, a port).
class ConvertError : public Error {
public:
    using Error::Error;
    static ConvertError notInteger(const QString &text);
};

// A file or folder could not be read or written.
class FileError : public Error {
public:
    using Error::Error;
};

// A text cannot be represented in Shift-JIS (or the codec is missing).
class EncodingError : public Error {
public:
    using Error::Error;
};

}  // namespace vorq
