#include "core/IniFile.h"

#include "core/TextFile.h"

#include <QFile>
#include <QList>
#include <optional>

namespace {

constexpr int kMaxValue = 254;

struct RawLine
{
    QByteArray text; // without its line end
    QByteArray eol;  // "\r\n", "\n", "\r" or empty on the last line
};

QList<RawLine> splitRaw(const QByteArray& bytes)
{
    QList<RawLine> out;
    int start = 0;
    const int n = bytes.size();
    for (int i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            RawLine l{bytes.mid(start, i - start), {}};
            if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n') {
                l.eol = "\r\n";
                ++i;
            } else {
                l.eol = QByteArray(1, c);
            }
            out << l;
            start = i + 1;
        }
    }
    if (start < n)
        out << RawLine{bytes.mid(start), {}};
    return out;
}

// The section name of a "[name]" line, or a null string.
QString sectionOf(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return {};
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {};
    return t.mid(1, close - 1).trimmed();
}

bool keyOf(const QString& line, QString& key, QString& value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('[')))
        return false;
    const int eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    return true;
}

bool same(const QString& a, const QString& b)
{
    return a.compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// The file's bytes; empty for a missing file, nullopt for one that is there but cannot be read
// whole (a read cut short is not the file).
std::optional<QByteArray> readAll(const QString& file)
{
    QFile f(file);
    if (!f.exists())
        return QByteArray();
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// A value as read: trimmed, one pair of quotes removed, cut at kMaxValue.
QString valoreLetto(QString v)
{
    if (v.size() >= 2 && ((v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'))) ||
                          (v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))))
        v = v.mid(1, v.size() - 2);
    return v.left(kMaxValue);
}

enum class Modo { Sempre, SeManca };

// Writes section/key = value into the file read whole; with Modo::SeManca only where the key is
// missing, empty or "?" (the readers' word for missing).
bool scrivi(const QString& file, const QString& section, const QString& key, const QString& value, Modo modo)
{
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));

    // Never rewrite a file from a read that failed: what was not read would be lost.
    const std::optional<QByteArray> letti = readAll(file);
    if (!letti)
        return false;
    const QByteArray& bytes = *letti;
    QList<RawLine> lines = splitRaw(bytes);
    const QByteArray newLine = TextFile::encode(key + QLatin1Char('=') + clean);
    QByteArray eol = "\r\n";
    for (const RawLine& l : lines) {
        if (!l.eol.isEmpty()) {
            eol = l.eol;
            break;
        }
    }

    int sectionLine = -1;
    int lastInSection = -1;
    int keyLine = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = TextFile::decode(lines[i].text);
        const QString sec = sectionOf(line);
        if (!sec.isNull()) {
            if (sectionLine >= 0)
                break;
            if (same(sec, section)) {
                sectionLine = i;
                lastInSection = i;
            }
            continue;
        }
        if (sectionLine < 0)
            continue;
        if (!line.trimmed().isEmpty())
            lastInSection = i;
        QString k, v;
        if (keyOf(line, k, v) && same(k, key)) {
            if (modo == Modo::SeManca) {
                const QString letto = valoreLetto(v);
                if (!letto.isEmpty() && letto != QLatin1String("?"))
                    return true; // there after all: a default never replaces a value
            }
            keyLine = i;
            break;
        }
    }

    if (keyLine >= 0) {
        lines[keyLine].text = newLine;
    } else if (sectionLine >= 0) {
        if (lines[lastInSection].eol.isEmpty())
            lines[lastInSection].eol = eol;
        lines.insert(lastInSection + 1, RawLine{newLine, eol});
    } else {
        if (!lines.isEmpty() && lines.last().eol.isEmpty())
            lines.last().eol = eol;
        lines << RawLine{TextFile::encode(QLatin1Char('[') + section + QLatin1Char(']')), eol};
        lines << RawLine{newLine, eol};
    }

    QByteArray out;
    out.reserve(bytes.size() + newLine.size() + 8);
    for (const RawLine& l : lines) {
        out += l.text;
        out += l.eol;
    }
    // The user's own settings file: a link to it is the user's choice, and is kept.
    return TextFile::writeAtomically(file, out, nullptr, TextFile::Collegamento::Segui);
}

} // namespace

QString LeggiINI(const QString& file, const QString& section, const QString& key, const QString& defaultValue)
{
    // A file that cannot be read gives the default, as the old API did; writers of defaults read
    // it again themselves (ScriviINISeManca).
    const std::optional<QByteArray> letti = readAll(file);
    if (!letti || letti->isEmpty())
        return defaultValue;
    const QByteArray& bytes = *letti;
    bool inSection = false;
    bool sectionSeen = false;
    for (const RawLine& raw : splitRaw(bytes)) {
        const QString line = TextFile::decode(raw.text);
        const QString sec = sectionOf(line);
        if (!sec.isNull()) {
            if (sectionSeen && inSection)
                break; // only the first section of that name counts
            inSection = same(sec, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        QString k, v;
        if (keyOf(line, k, v) && same(k, key))
            return valoreLetto(v);
    }
    return defaultValue;
}

bool ScriviINIValore(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return scrivi(file, section, key, value, Modo::Sempre);
}

bool ScriviINISeManca(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return scrivi(file, section, key, value, Modo::SeManca);
}

bool ScriviINI(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return ScriviINIValore(file, section, key, value);
}
