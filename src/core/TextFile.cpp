#include "core/TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace TextFile {

QString decode(const QByteArray& bytes)
{
    // Plain ASCII reads the same in every code page, and most files are just that.
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder dec("windows-1252");
    if (!dec.isValid())
        return QString::fromLatin1(bytes);
    return dec.decode(bytes);
}

QByteArray encode(const QString& text)
{
    QStringEncoder enc("windows-1252", QStringConverter::Flag::Default);
    if (!enc.isValid())
        return text.toLatin1();
    QByteArray out = enc.encode(text);
    return out;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << text.mid(start, i - start);
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

bool readLines(const QString& path, QStringList& lines)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    lines = splitLines(decode(bytes));
    return true;
}

bool writeAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

bool writeLines(const QString& path, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& l : lines) {
        bytes += encode(l);
        bytes += "\r\n";
    }
    return writeAtomically(path, bytes);
}

bool appendLine(const QString& path, const QString& line)
{
    QFile f(path);
    const bool esisteva = f.exists();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const qint64 prima = f.size();
    const QByteArray bytes = encode(line) + "\r\n";
    if (f.write(bytes) == bytes.size())
        return true;
    // Shrinking needs no room; a file that cannot even shrink keeps the part written, and there
    // is nothing more to do about it.
    const bool ripreso = esisteva || prima > 0 ? f.resize(prima) : f.remove();
    Q_UNUSED(ripreso)
    return false;
}

} // namespace TextFile
