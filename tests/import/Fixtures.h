#pragma once
// Price-list fixtures written at test time: Windows-1252 text files, .xlsx through libxlsxwriter
// (relative part targets) or Debian's python3-openpyxl (absolute targets), .xls through
// python3-xlwt. A cell is a QVariant: invalid = no cell, double = number, QString = text,
// bool = boolean, QDate = date.
#include "core/Database.h"
#include "core/TextFile.h"

#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlRecord>
#include <QVariant>
#include <QtEndian>
#include <QtTest>
#include <xlsxwriter.h>

using Foglio = std::pair<QString, QList<QVariantList>>; // name, rows (the first row: column names)

// Little-endian fields of the binary records the tests write by hand.
inline QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
inline QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline void scriviTesto(const QString& path, const QStringList& righe, const QByteArray& fine = "\r\n")
{
    QByteArray b;
    for (const QString& r : righe)
        b += TextFile::encode(r) + fine;
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(b);
}

inline void scriviXlsx(const QString& path, const QList<Foglio>& fogli)
{
    lxw_workbook* wb = workbook_new(QFile::encodeName(path).constData());
    QVERIFY(wb);
    lxw_format* data = workbook_add_format(wb);
    format_set_num_format(data, "dd/mm/yyyy");
    for (const auto& [nome, righe] : fogli) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, nome.toUtf8().constData());
        for (int r = 0; r < righe.size(); ++r) {
            for (int c = 0; c < righe.at(r).size(); ++c) {
                const QVariant& v = righe.at(r).at(c);
                if (!v.isValid())
                    continue;
                switch (v.typeId()) {
                case QMetaType::Double:
                case QMetaType::Int:
                case QMetaType::LongLong:
                    worksheet_write_number(ws, r, c, v.toDouble(), nullptr);
                    break;
                case QMetaType::Bool:
                    worksheet_write_boolean(ws, r, c, v.toBool(), nullptr);
                    break;
                case QMetaType::QDate: {
                    const QDate d = v.toDate();
                    lxw_datetime dt = {d.year(), d.month(), d.day(), 0, 0, 0};
                    worksheet_write_datetime(ws, r, c, &dt, data);
                    break;
                }
                default:
                    worksheet_write_string(ws, r, c, v.toString().toUtf8().constData(), nullptr);
                }
            }
        }
    }
    QCOMPARE(int(workbook_close(wb)), int(LXW_NO_ERROR));
}

// Runs a python3 script from Debian's python (the packages live there) with the sheets as JSON.
inline void pythonFogli(const QString& script, const QString& path, const QList<Foglio>& fogli)
{
    QJsonArray a;
    for (const auto& [nome, righe] : fogli) {
        QJsonArray rr;
        for (const QVariantList& r : righe) {
            QJsonArray cc;
            for (const QVariant& v : r) {
                if (!v.isValid())
                    cc << QJsonValue();
                else if (v.typeId() == QMetaType::Bool)
                    cc << QJsonObject{{QStringLiteral("b"), v.toBool()}};
                else if (v.typeId() == QMetaType::QDate)
                    cc << QJsonObject{{QStringLiteral("d"), v.toDate().toString(Qt::ISODate)}};
                else if (v.typeId() == QMetaType::QString)
                    cc << v.toString();
                else
                    cc << v.toDouble();
            }
            rr << cc;
        }
        a << QJsonObject{{QStringLiteral("nome"), nome}, {QStringLiteral("righe"), rr}};
    }
    const QString json = path + QStringLiteral(".json");
    QFile f(json);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QJsonDocument(a).toJson());
    f.close();
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, json, path});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
}

inline const char* kPythonComune = R"(
import json, sys, datetime
fogli = json.load(open(sys.argv[1]))
def valore(v):
    if isinstance(v, dict) and 'b' in v: return v['b']
    if isinstance(v, dict) and 'd' in v: return datetime.datetime.strptime(v['d'], '%Y-%m-%d')
    return v
)";

// openpyxl writes absolute relationship targets ("/xl/worksheets/sheet1.xml").
inline void scriviXlsxOpenpyxl(const QString& path, const QList<Foglio>& fogli)
{
    pythonFogli(QString::fromLatin1(kPythonComune) + QStringLiteral(R"(
import openpyxl
wb = openpyxl.Workbook()
wb.remove(wb.active)
for f in fogli:
    ws = wb.create_sheet(f['nome'])
    for r, riga in enumerate(f['righe']):
        for c, v in enumerate(riga):
            if v is None: continue
            cell = ws.cell(row=r + 1, column=c + 1, value=valore(v))
            if isinstance(v, dict) and 'd' in v: cell.number_format = 'DD/MM/YYYY'
wb.save(sys.argv[2])
)"),
                path, fogli);
}

// `protetto`: the workbook carries an XOR-obfuscation record, as Excel writes for a password.
inline void scriviXls(const QString& path, const QList<Foglio>& fogli, bool protetto = false)
{
    pythonFogli(QString::fromLatin1(kPythonComune) +
                    QStringLiteral(R"(
import xlwt, struct
protetto = %1
class WB(xlwt.Workbook):
    def _Workbook__intf_hdr_rec(self):
        rec = super()._Workbook__intf_hdr_rec()
        if protetto:
            rec = struct.pack('<HHHHH', 0x2F, 6, 0, 0x1234, 0x5678) + rec
        return rec
wb = WB()
data = xlwt.easyxf(num_format_str='DD/MM/YYYY')
for f in fogli:
    ws = wb.add_sheet(f['nome'])
    for r, riga in enumerate(f['righe']):
        for c, v in enumerate(riga):
            if v is None: continue
            if isinstance(v, dict) and 'd' in v: ws.write(r, c, valore(v), data)
            else: ws.write(r, c, valore(v))
wb.save(sys.argv[2])
)")
                        .arg(protetto ? QStringLiteral("True") : QStringLiteral("False")),
                path, fogli);
}

// The three writers a workbook reader is checked against, as the data column "scrittore":
// 0 libxlsxwriter, 1 openpyxl (absolute part targets), 2 xlwt (.xls).
inline void colonnaScrittori()
{
    QTest::addColumn<int>("scrittore");
    QTest::newRow("xlsx libxlsxwriter") << 0;
    QTest::newRow("xlsx openpyxl (absolute targets)") << 1;
    QTest::newRow("xls xlwt") << 2;
}

// Writes `fogli` to `base` + ".xlsx" (".xls" for xlwt) with writer `scrittore`; returns the path.
inline QString scriviCartella(int scrittore, const QString& base, const QList<Foglio>& fogli)
{
    const QString path = base + (scrittore == 2 ? QStringLiteral(".xls") : QStringLiteral(".xlsx"));
    if (scrittore == 0)
        scriviXlsx(path, fogli);
    else if (scrittore == 1)
        scriviXlsxOpenpyxl(path, fogli);
    else
        scriviXls(path, fogli);
    return path;
}

// The archive as text, row by row in code order, to compare "before" and "after" exactly.
inline QString fotografia()
{
    QString s;
    for (const char* t : {"Magazzino", "BarCodeUlteriori", "Offerte"}) {
        QSqlQuery q = Db::query(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(QLatin1String(t)));
        while (q.next()) {
            for (int i = 0; i < q.record().count(); ++i)
                s += q.value(i).toString() + QLatin1Char('|');
            s += QLatin1Char('\n');
        }
    }
    return s;
}
