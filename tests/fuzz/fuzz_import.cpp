// Fuzz entry point for the price-list readers: the first byte picks the separated, "Poseidon 35",
// RCG or GRONTE line reader, or the .xlsx or .xls workbook reader; the rest is the input. Any
// input must be read or refused, never crash, and a read row must stay inside its layout.
#include "core/TextFile.h"
#include "import/Cartella.h"
#include "import/Importazione.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void leggiCartella(const QByteArray& dati, bool xlsx)
{
    const QString path =
        QDir::temp().filePath(QStringLiteral("tavrino-fuzz-%1.%2").arg(getpid()).arg(xlsx ? "xlsx" : "xls"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return;
        f.write(dati);
    }
    QString errore;
    const auto c = xlsx ? apriCartellaXlsx(path, &errore) : apriCartellaXls(path, &errore);
    if (c) {
        for (const QString& foglio : c->fogli()) {
            require(foglio.endsWith(QLatin1Char('$')));
            int righe = 0;
            c->leggiFoglio(
                foglio,
                [&](const RigaCelle& r) {
                    for (const Cella& k : r)
                        (void)k.comeTesto();
                    return ++righe < 5000;
                },
                &errore);
        }
    } else {
        require(!errore.isEmpty());
    }
    QFile::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray resto(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    const int modo = data[0] % 6;
    if (modo >= 4) {
        leggiCartella(resto, modo == 4);
        return 0;
    }
    ImpostazioniImport imp;
    imp.separatore = QString(QChar(u";/,:!"[data[0] / 6 % 5]));
    imp.posBC = 4;
    imp.posQta = 12;
    imp.posRep = 6;
    imp.posPV = 10;
    imp.posDes = 5;
    for (const QString& linea : TextFile::splitLines(TextFile::decode(resto))) {
        RigaImport r;
        switch (modo) {
        case 0:
            if (Importazione::lineaSeparata(linea, imp, r)) {
                require(!r.barCode.contains(QLatin1Char('"')));
                require(r.quantita == QLatin1String("2000"));
            }
            break;
        case 1:
            if (Importazione::lineaPoseidon(linea, r))
                require(r.descrizione.size() <= 20 && r.barCode.size() <= 14 && r.reparto.size() <= 2);
            else
                require(linea.trimmed().isEmpty());
            break;
        case 2:
            if (Importazione::lineaRCG(linea, r))
                require(r.descrizione.size() <= 30 && r.barCode.size() <= 13);
            break;
        default:
            if (Importazione::lineaGronte(linea, r))
                require(r.descrizione.size() <= 34 && r.barCode.size() <= 21);
            break;
        }
        (void)Importazione::numeroImport(r.prezzo);
    }
    return 0;
}
