#pragma once
// What an XML reader makes of a part, as the sheet reading sees it: each start element with its
// `r`, `t` and `s` attributes, each end, the text between them inside the root joined, and whether
// the part was refused. The fast scanner must give what QXmlStreamReader gives.
#include "import/ScansioneXml.h"

#include <QBuffer>
#include <QStringList>
#include <QXmlStreamReader>
#include <optional>

struct LetturaXml
{
    QStringList eventi;
    bool rifiutata = false;
    bool operator==(const LetturaXml& o) const
    {
        // A refused part's events are not to be trusted, only the refusal.
        return rifiutata == o.rifiutata && (rifiutata || eventi == o.eventi);
    }
};

template <class X, class Nome, class Attributo, class Testo>
LetturaXml leggiEventiXml(X& x, Nome nome, Attributo attributo, Testo testo)
{
    LetturaXml l;
    QString accumulato;
    int profondita = 0;
    const auto chiudiTesto = [&] {
        if (!accumulato.isEmpty())
            l.eventi << QStringLiteral("T:") + accumulato;
        accumulato.clear();
    };
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            chiudiTesto();
            ++profondita;
            l.eventi << QStringLiteral("S:%1|%2|%3|%4")
                            .arg(nome(x), attributo(x, "r"), attributo(x, "t"), attributo(x, "s"));
        } else if (x.isEndElement()) {
            chiudiTesto();
            --profondita;
            l.eventi << QStringLiteral("E:") + nome(x);
        } else if (x.isCharacters() && profondita > 0) {
            testo(x, accumulato);
        }
    }
    chiudiTesto();
    l.rifiutata = x.hasError();
    return l;
}

inline LetturaXml letturaQt(const QByteArray& xml)
{
    QBuffer b;
    b.setData(xml);
    b.open(QIODevice::ReadOnly);
    QXmlStreamReader x(&b);
    return leggiEventiXml(
        x, [](const QXmlStreamReader& r) { return r.name().toString(); },
        [](const QXmlStreamReader& r, const char* n) { return r.attributes().value(QLatin1String(n)).toString(); },
        [](const QXmlStreamReader& r, QString& out) { out += r.text(); });
}

// Empty when the part is not UTF-8 and the scanner leaves it to Qt's reader.
inline std::optional<LetturaXml> letturaScansione(const QByteArray& xml)
{
    QBuffer b;
    b.setData(xml);
    b.open(QIODevice::ReadOnly);
    ScansioneXml x(b);
    if (!x.utf8())
        return std::nullopt;
    return leggiEventiXml(
        x, [](const ScansioneXml& r) { return QString::fromUtf8(r.nome()); },
        [](const ScansioneXml& r, const char* n) {
            QString v;
            r.attributo(n, v);
            return v;
        },
        [](const ScansioneXml& r, QString& out) { r.aggiungiTesto(out); });
}
