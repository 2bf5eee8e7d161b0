#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Small helpers for tests that work on real files in a temporary data folder.
namespace fixture {

inline QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray readFixture(const QString& name)
{
    return read(QStringLiteral(UTABAKO_FIXTURES "/") + name);
}

inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// CP932 bytes of a UTF-16 literal, for expectations written in plain text.
QByteArray sjis(const QString& text);

} // namespace fixture

#include "store/cp932.h"

inline QByteArray fixture::sjis(const QString& text)
{
    QByteArray out;
    cp932::encode(text, &out);
    return out;
}
