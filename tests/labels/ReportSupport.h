#pragma once
#include "core/Database.h"
#include "support/StampantiProva.h"
// What the label, report and export tests share: virtual printers whose jobs land as PDF files in
// a folder, the text of a PDF as pdftotext reads it, and a workbook read back by openpyxl.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The test printers `names` (";"-separated), their jobs as PDF files in `dir`; the first name
// becomes the default, the names in `failing` cannot become it.
struct ReportPrinters
{
    QTemporaryDir dir;
    explicit ReportPrinters(const QByteArray& names = "A4 Ufficio", const QByteArray& failing = {})
    {
        const auto lista = [](const QByteArray& t) {
            return QString::fromUtf8(t).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        };
        StampantiProva& s = stampantiDiProva();
        s.installa(lista(names), lista(failing));
        s.cartella = dir.path();
    }
    QStringList jobs() const { return QDir(dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name); }
    QString job(const QString& name) const { return dir.filePath(name); }
};

// An article of supplier Rossi, in pieces, with supplier code "F<cod>"; a null price stays empty.
inline void articolo(int cod, const QString& descr, const QString& bc, const QVariant& qta, const QVariant& costo,
                     const QVariant& costo2, const QString& genere = QStringLiteral("3"))
{
    QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, \"Quantità\", Costo, "
                                    "Costo2, Minimo, UnitaMisura, Fornitore, Genere, CodProdottoFornitore) "
                                    "VALUES (?,?,?,?,?,?,0,'Pz','Rossi',?,?)"),
                     {cod, descr, bc, qta, costo, costo2, genere, QStringLiteral("F%1").arg(cod)}));
}

// A sale in the PLU history.
inline void storico(const QString& data, const QString& ean, double qta)
{
    QVERIFY(
        Db::exec(QStringLiteral("INSERT INTO StoricoPLU (DataModif, EAN, Qta) VALUES (?, ?, ?)"), {data, ean, qta}));
}

// The text of a PDF, pages separated by form feeds; empty when pdftotext failed.
inline QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline QString python3()
{
    // Debian's own interpreter carries python3-openpyxl even where another one comes first.
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

// Every sheet of the workbook: {"sheets": [names], "<name>": [[{"t": type, "v": value}, ...], ...]}
// with type "s" (text), "n" (number, "f" its number format), "d" (date, value "yyyy-mm-dd", "o" the
// time "hh:mm:ss", "f" its number format), "" (empty).
inline QJsonObject readXlsx(const QString& path)
{
    static const char* script = R"(
import json, sys, datetime, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = {"sheets": wb.sheetnames}
for ws in wb.worksheets:
    rows = []
    for row in ws.iter_rows():
        cells = []
        for c in row:
            v = c.value
            if v is None:
                cells.append({"t": "", "v": None})
            elif isinstance(v, bool):
                cells.append({"t": "b", "v": v})
            elif isinstance(v, (int, float)):
                cells.append({"t": "n", "v": v, "f": c.number_format})
            elif isinstance(v, datetime.datetime):
                cells.append({"t": "d", "v": v.date().isoformat(), "o": v.time().isoformat(), "f": c.number_format})
            else:
                cells.append({"t": "s", "v": str(v)})
        rows.append(cells)
    out[ws.title] = rows
print(json.dumps(out))
)";
    QProcess p;
    p.start(python3(), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}
