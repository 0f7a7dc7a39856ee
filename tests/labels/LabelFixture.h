#pragma once
// Shared by the label tests: articles to label, the sheet as the designer sets it up, and the
// outside tools (poppler, zbar) that read the printed PDF back.
#include "core/AppState.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "labels/EasyPrint.h"
#include "labels/ModuloEAN.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace fixture {

// A valid EAN-13 for article i.
inline QString ean(int i)
{
    QString c = QStringLiteral("80012345%1").arg(i, 4, 10, QLatin1Char('0'));
    ModuloEAN::EAN13(c);
    return c;
}

inline QString descrizione(int i)
{
    return QStringLiteral("Prodotto%1").arg(i, 3, 10, QLatin1Char('0'));
}

inline double costo(int i)
{
    return 1.0 + i / 100.0;
}

// Articles 1..n, in description order as numbered, with their barcode and a 500 g pack.
inline void articoli(int n, bool modificati = false)
{
    Db::Transaction t;
    for (int i = 1; i <= n; ++i)
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, Costo, TipoMateriale, "
                                        "BarCode, CodProdottoFornitore, Modificato) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                         {i, descrizione(i), costo(i), QStringLiteral("500"), ean(i), QStringLiteral("F%1").arg(i),
                          modificati ? 1 : 0}));
    QVERIFY(t.commit());
}

inline void etichetta(const QString& chiave, const QString& valore)
{
    QVERIFY(ScriviINI(app().percorsoSetup, QStringLiteral("Etichetta"), chiave, valore));
}

// The sheet as the designer sets it up: centimetres, no margins, 1 cm gaps, A4.
inline void comeIlDesigner(EasyPrint& e, int colonne, int righe)
{
    e.setScaleMode(EasyPrint::Centimetri);
    e.setMarginBottom(0);
    e.setMarginTop(0);
    e.setMarginLeft(0);
    e.setMarginRight(0);
    e.setLabelDistance(1);
    QVERIFY(e.impostaGriglia(colonne, righe));
}

struct Uscita
{
    int codice = -1;
    QByteArray testo;
};

inline Uscita esegui(const QString& programma, const QStringList& argomenti)
{
    QProcess p;
    p.start(programma, argomenti);
    if (!p.waitForStarted(10000))
        return {};
    p.waitForFinished(120000);
    return {p.exitCode(), p.readAllStandardOutput()};
}

inline int pagine(const QString& pdf)
{
    const Uscita u = esegui(QStringLiteral("pdfinfo"), {pdf});
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromLatin1(u.testo));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Every EAN that zbarimg reads on the PDF's pages, in reading order per page.
inline QStringList codiciLetti(const QString& pdf, const QString& cartella)
{
    const QString base = QDir(cartella).filePath(QStringLiteral("pagina"));
    const Uscita r = esegui(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"),
                                                         QStringLiteral("-gray"), QStringLiteral("-png"), pdf, base});
    if (r.codice != 0)
        return {QStringLiteral("pdftoppm non riuscito")};
    QStringList out;
    QStringList png = QDir(cartella).entryList({QStringLiteral("pagina*.png")}, QDir::Files, QDir::Name);
    for (const QString& f : png) {
        const Uscita z = esegui(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QDir(cartella).filePath(f)});
        for (const QString& riga : QString::fromLatin1(z.testo).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            out << riga.section(QLatin1Char(':'), 1);
    }
    return out;
}

// The words pdftotext finds, each with its page (from 1) and its box in points.
struct Parola
{
    int pagina;
    QRectF box;
    QString testo;
};

inline QList<Parola> parole(const QString& pdf)
{
    const Uscita u = esegui(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QList<Parola> out;
    int pagina = 0;
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (const QString& riga : QString::fromUtf8(u.testo).split(QLatin1Char('\n'))) {
        if (riga.contains(QLatin1String("<page ")))
            ++pagina;
        const auto m = word.match(riga);
        if (m.hasMatch())
            out.append({pagina,
                        QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                               QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                        m.captured(5)});
    }
    return out;
}

} // namespace fixture
