// Runs the price-list fuzz entry point over a fixed set of tricky inputs (and any files named on
// the command line), so every build exercises the readers without a fuzzing compiler.
// "--seme DIR" writes the inputs into DIR instead, as the fuzzer's starting corpus.
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

// An .xls workbook stream as the child reads it (BIFF8: the globals, then one worksheet): shared
// texts of one- and two-byte characters, one split across a CONTINUE record, a date format,
// numbers, RK and MULRK values, formulas with a text and a boolean result, a boolean, a label and
// a blank; then cut and damaged copies, and one whose formula's result is an error.
QList<QByteArray> flussiXls()
{
    const auto le16 = [](quint16 v) { return QByteArray(1, char(v & 0xff)) + char(v >> 8); };
    const auto le32 = [&](quint32 v) { return le16(quint16(v & 0xffff)) + le16(quint16(v >> 16)); };
    const auto rec = [&](quint16 t, const QByteArray& p) { return le16(t) + le16(quint16(p.size())) + p; };
    const auto cella = [&](quint16 r, quint16 c, quint16 xf) { return le16(r) + le16(c) + le16(xf); };
    const auto utf16 = [](const QString& t) {
        QByteArray b;
        for (QChar ch : t)
            b += char(ch.unicode() & 0xff) + QByteArray(1, char(ch.unicode() >> 8));
        return b;
    };
    const QByteArray bof = [&](quint16 tipo) { return rec(0x0809, le16(0x0600) + le16(tipo) + QByteArray(12, 0)); }(5);
    QByteArray globali = bof + rec(0x0042, le16(1200)) + rec(0x0022, le16(0)) +
                         rec(0x041e, le16(164) + le16(10) + QByteArray(1, 0) + "dd/mm/yyyy") +
                         rec(0x00e0, le16(0) + le16(0) + QByteArray(16, 0)) +
                         rec(0x00e0, le16(0) + le16(164) + QByteArray(16, 0));
    const QByteArray foglio = QByteArray(1, 8) + QByteArray(1, 0) + "PRODOTTI";
    const QByteArray sst = le32(4) + le32(4) + le16(3) + QByteArray(1, 0) + "Des" + le16(0) + QByteArray(1, 0) +
                           le16(4) + QByteArray(1, 0) + "Pane" + le16(7) + QByteArray(1, 1) +
                           utf16(QStringLiteral("Caf"));
    const QByteArray seguito = QByteArray(1, 1) + utf16(QStringLiteral("f\u00e8 \u20ac"));
    const QByteArray fine = rec(0x000a, {});
    // The sheet's offset: the globals with their BOUNDSHEET, SST, CONTINUE and EOF.
    const qsizetype inizio = globali.size() + 4 + 6 + foglio.size() + 4 + sst.size() + 4 + seguito.size() + fine.size();
    globali +=
        rec(0x0085, le32(quint32(inizio)) + QByteArray(2, 0) + foglio) + rec(0x00fc, sst) + rec(0x003c, seguito) + fine;
    const auto numero = [](double d) { return QByteArray(reinterpret_cast<const char*>(&d), 8); };
    const auto foglioCon = [&](const QByteArray& formula) {
        return rec(0x0809, le16(0x0600) + le16(0x0010) + QByteArray(12, 0)) + rec(0x0200, QByteArray(14, 0)) +
               rec(0x0208, QByteArray(16, 0)) + rec(0x0208, QByteArray(16, 0)) + rec(0x00fd, cella(0, 0, 0) + le32(0)) +
               rec(0x00fd, cella(0, 1, 0) + le32(1)) + rec(0x0203, cella(1, 1, 0) + numero(12.5)) +
               rec(0x00fd, cella(1, 0, 0) + le32(3)) + rec(0x027e, cella(1, 2, 1) + le32(45658u << 2 | 2)) +
               rec(0x00bd, le16(2) + le16(0) + le16(0) + le32(0x3ff80000) + le16(0) + le32(7u << 2 | 2) + le16(1)) +
               rec(0x0006, cella(2, 2, 0) + formula + le16(0) + le32(0) + le16(0)) +
               rec(0x0207, le16(4) + QByteArray(1, 0) + "Olio") +
               rec(0x0006, cella(2, 3, 0) + QByteArray::fromHex("0100010000 00ffff") + le16(0) + le32(0) + le16(0)) +
               rec(0x0205, cella(2, 4, 0) + QByteArray(2, 0)) +
               rec(0x0204, cella(3, 0, 0) + le16(5) + QByteArray(1, 0) + "Latte") + rec(0x0201, cella(3, 1, 0)) +
               rec(0x00d7, le32(0)) + fine;
    };
    const QByteArray buono = globali + foglioCon(QByteArray::fromHex("0000000000 00ffff"));
    QList<QByteArray> l = {
        conModo(6, QByteArray(1, 1) + buono), conModo(6, QByteArray(1, 0) + buono),
        conModo(6, QByteArray(1, 1) + globali + foglioCon(QByteArray::fromHex("0200070000 00ffff")))};
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
