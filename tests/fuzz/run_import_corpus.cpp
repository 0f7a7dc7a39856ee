// Runs the price-list fuzz entry point over a fixed set of tricky inputs (and any files named on
// the command line), so every build exercises the readers without a fuzzing compiler.
// "--seme DIR" writes the inputs into DIR instead, as the fuzzer's starting corpus.
#include "import/FlussoXls.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <xlsxwriter.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

QByteArray conModo(char modo, const QByteArray& b)
{
    return QByteArray(1, modo) + b;
}

// A small real workbook, then cut and damaged copies of it.
QList<QByteArray> cartelle()
{
    QTemporaryDir d;
    const QByteArray path = QFile::encodeName(d.filePath(QStringLiteral("c.xlsx")));
    lxw_workbook* wb = workbook_new(path.constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "PRODOTTI");
    for (int r = 0; r < 50; ++r) {
        worksheet_write_string(ws, r, 0, "Pane", nullptr);
        worksheet_write_number(ws, r, 1, r * 1.5, nullptr);
        worksheet_write_boolean(ws, r, 2, r % 2, nullptr);
    }
    workbook_close(wb);
    QFile f(QFile::decodeName(path));
    f.open(QIODevice::ReadOnly);
    const QByteArray buono = f.readAll();
    QList<QByteArray> l = {conModo(4, buono)};
    for (int taglio = 0; taglio < buono.size(); taglio += 331)
        l << conModo(4, buono.left(taglio));
    for (int i = 0; i < 40; ++i) {
        QByteArray b = buono;
        b[(i * 7919) % b.size()] = char(i * 37);
        l << conModo(4, b);
    }
    return l;
}

// The .xls reader's answer: a whole one, then cut and damaged copies.
QList<QByteArray> risposteXls()
{
    const auto u16 = [](QByteArray& b, quint16 v) { b.append(char(v & 0xff)).append(char(v >> 8)); };
    const auto u32 = [&](QByteArray& b, quint32 v) {
        u16(b, quint16(v & 0xffff));
        u16(b, quint16(v >> 16));
    };
    const auto testo = [&](QByteArray& b, const QByteArray& t) {
        u32(b, quint32(t.size()));
        b += t;
    };
    QByteArray b("TXLS1\n");
    b += 'F';
    testo(b, "PRODOTTI");
    b += 'F';
    testo(b, "Caff\xc3\xa8");
    for (quint32 r = 2; r < 40; r += 3) {
        b += 'R';
        u32(b, r);
        u16(b, 5);
        u16(b, 0);
        b += char(1);
        const double d = r * 1.5;
        b += QByteArray(reinterpret_cast<const char*>(&d), 8);
        for (const auto& [kind, t] :
             {std::pair<char, QByteArray>{2, "Pane"}, {3, "2025-01-31"}, {4, "2025-01-31 12:30:00"}, {5, "08:15:00"}}) {
            u16(b, quint16(kind + 1));
            b += kind;
            testo(b, t);
        }
    }
    b += 'Z';
    QList<QByteArray> l = {conModo(5, b), conModo(5, QByteArray("TXLS1\nE\x02")),
                           conModo(5, QByteArray("TXLS1\nR\x00\x00\x00\x00\xff\xff")),
                           conModo(5, QByteArray("TXLS1\nF\xff\xff\xff\xff"))};
    for (int taglio = 0; taglio < b.size(); taglio += 17)
        l << conModo(5, b.left(taglio));
    for (int i = 0; i < 60; ++i) {
        QByteArray c = b;
        c[(i * 7919) % c.size()] = char(i * 37);
        l << conModo(5, c);
    }
    return l;
}

// The hand-written workbook stream (with a text, an error and a missing STRING as the formula's
// result), then cut and damaged copies.
QList<QByteArray> flussiXls()
{
    const QByteArray buono = flussoXls();
    QList<QByteArray> l = {conModo(6, QByteArray(1, 1) + buono), conModo(6, QByteArray(1, 0) + buono),
                           conModo(6, QByteArray(1, 1) + flussoXls(QByteArray::fromHex("020007000000ffff"))),
                           conModo(6, QByteArray(1, 1) + flussoXls(QByteArray::fromHex("000000000000ffff"), false))};
    for (int taglio = 0; taglio < buono.size(); taglio += 23)
        l << conModo(6, QByteArray(1, 1) + buono.left(taglio));
    for (int i = 0; i < 60; ++i) {
        QByteArray c = buono;
        c[(i * 7919) % c.size()] = char(i * 37);
        l << conModo(6, QByteArray(1, 1) + c);
    }
    return l;
}

QList<QByteArray> corpus()
{
    QList<QByteArray> l = {
        {},
        conModo(0, ""),
        conModo(0, "a;b;c;\"800\";Pane;5;x;y;z;3.50\r\n"),
        conModo(0, ";;;;;;;;;;;;;;;;;;;;"),
        conModo(7, "a/b/c/d/e/f/g/h/i/j\n\r\n\r"), // separated by "/"
        conModo(1, "05 8001234567890Biscotti al burro   X01250\r\n   \r\n"),
        conModo(1, QByteArray(100000, 'x')),
        conModo(2, "R         C000100012000000125000" + QByteArray(60, ' ') + "22.00 8000000000001"),
        conModo(2, "r\rR\nR\r\n"),
        conModo(3, QByteArray(300, '9')),
        conModo(3, "\xff\xfe\x00\x01"),
        conModo(4, "PK\x03\x04"),
        conModo(4, QByteArray("PK\x05\x06") + QByteArray(18, '\xff')),
        conModo(5, "not an answer"),
        // A sheet's XML alone, for the scanner and Qt's reader side by side.
        conModo(4, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<worksheet xmlns:x=\"u\"><sheetData><row r=\"1\">"
                   "<c r=\"A1\" t=\"s\"><v>0</v></c><x:c r=\"B1\" s=\"1\"><v>1.5</v></x:c><c t=\"inlineStr\"><is>"
                   "<r><t xml:space=\"preserve\"> a &amp; b&#233;</t></r><rPh><t>x</t></rPh></is></c></row>"
                   "<!-- c --><?pi x?></sheetData></worksheet>"),
        conModo(4, "<a><![CDATA[x]]>y\r\nz</a>"),
    };
    l += cartelle();
    l += risposteXls();
    l += flussiXls();
    return l;
}

} // namespace

int main(int argc, char** argv)
{
    QList<QByteArray> inputs = corpus();
    if (argc == 3 && QByteArray(argv[1]) == "--seme") {
        const QDir dir(QString::fromLocal8Bit(argv[2]));
        for (int i = 0; i < inputs.size(); ++i) {
            QFile f(dir.filePath(QStringLiteral("seme-%1").arg(i)));
            if (!f.open(QIODevice::WriteOnly) || f.write(inputs.at(i)) != inputs.at(i).size())
                return 1;
        }
        std::printf("fuzz_import_corpus: %lld seeds written\n", static_cast<long long>(inputs.size()));
        return 0;
    }
    for (int i = 1; i < argc; ++i) {
        QFile f(QString::fromLocal8Bit(argv[i]));
        if (f.open(QIODevice::ReadOnly))
            inputs << f.readAll();
    }
    for (const QByteArray& in : inputs)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(in.constData()), size_t(in.size()));
    std::printf("fuzz_import_corpus: %lld inputs\n", static_cast<long long>(inputs.size()));
    return 0;
}
