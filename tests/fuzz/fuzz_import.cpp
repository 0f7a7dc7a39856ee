// Fuzz entry point for the price-list readers: the first byte picks the separated, "Poseidon 35",
// RCG or GRONTE line reader, the .xlsx workbook reader (or, for what is no zip, the sheet scanner
// against QXmlStreamReader: both must read or refuse it alike), the reader of the .xls child's answer, or
// the child's own reader of an .xls workbook stream (whose answer must then be one the program
// takes: complete, a refusal or a cell without a value); the rest is the input. Any input must be
// read or refused, never crash, and a read row must stay inside its layout and bounds.
#include "Biff.h"
#include "core/TextFile.h"
#include "import/Cartella.h"
#include "import/ConfrontoXml.h"
#include "import/LettoreXls.h"
#include "import/Listini.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <algorithm>
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

void checkRiga(const RigaCelle& r)
{
    require(r.size() <= ProtocolloXls::kMassimeColonne);
    for (const Cella& k : r) {
        require(k.testo.size() <= Cartella::kLunghezzaTesto);
        require(k.tipo != Cella::Tipo::Testo || !k.testo.trimmed().isEmpty()); // blanks are no text
        (void)k.comeTesto();
    }
}

// The child's answer arriving in pieces of the sizes the first bytes give. `dalLettore`: an answer
// our reader wrote, which must be whole.
void leggiRisposta(const QByteArray& dati, bool dalLettore = false)
{
    struct Controllo final : DestinatarioXls
    {
        int fogli = 0;
        qint64 ultima = -1;
        void foglio(const QString& nome) override
        {
            require(nome.size() <= int(ProtocolloXls::kMassimoNome));
            ++fogli;
        }
        bool riga(quint32 indice, const RigaCelle& r) override
        {
            require(qint64(indice) > ultima && !r.isEmpty() && !r.last().vuota());
            ultima = indice;
            checkRiga(r);
            return true;
        }
    } controllo;
    ProtocolloXls p(controllo);
    qsizetype pos = 0;
    int pezzo = 0;
    while (pos < dati.size()) {
        const qsizetype n = std::min<qsizetype>(dati.size() - pos, 1 + (uchar(dati.at(pezzo++ % dati.size())) % 64));
        if (!p.aggiungi(dati.constData() + pos, n)) {
            require(!p.errore().isEmpty() && (!dalLettore || p.cellaIllegibile()));
            return;
        }
        pos += n;
    }
    require(controllo.fogli <= int(ProtocolloXls::kMassimoFogli));
    require(!dalLettore || p.completo() || p.rifiuto() != 0);
}

// The child's reader on a workbook stream: the first byte picks the names (0) or a sheet.
void leggiFlusso(const QByteArray& dati)
{
    struct Risposta final : biff::Uscita
    {
        QByteArray b = "TXLS1\n";
        void byte(unsigned v) override { b += char(v); }
        void dati(const void* p, std::size_t n) override { b.append(static_cast<const char*>(p), qsizetype(n)); }
    } risposta;
    const int foglio = dati.isEmpty() ? -1 : int(uchar(dati.at(0)) % 3) - 1;
    const QByteArray flusso = dati.mid(1);
    biff::leggi(reinterpret_cast<const std::uint8_t*>(flusso.constData()), std::size_t(flusso.size()), foglio,
                risposta);
    leggiRisposta(risposta.b, true);
}

void leggiCartella(const QByteArray& dati)
{
    if (!dati.startsWith("PK")) {
        const auto s = letturaScansione(dati);
        // Qt's reader takes a NUL inside a name or an instruction and drops what follows it in the
        // tag; XML allows no NUL anywhere, so the scanner refuses it.
        if (s && dati.contains('\0'))
            require(s->rifiutata);
        else
            require(!s || *s == letturaQt(dati));
        return;
    }
    const QString path = QDir::temp().filePath(QStringLiteral("tavrino-fuzz-%1.xlsx").arg(getpid()));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return;
        f.write(dati);
    }
    QString errore;
    const auto c = apriCartellaXlsx(path, &errore);
    if (c) {
        for (const QString& foglio : c->fogli()) {
            require(foglio.endsWith(QLatin1Char('$')));
            int righe = 0;
            c->leggiFoglio(
                foglio,
                [&](const RigaCelle& r) {
                    checkRiga(r);
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
    const int modo = data[0] % 7;
    if (modo == 4) {
        leggiCartella(resto);
        return 0;
    }
    if (modo == 5) {
        leggiRisposta(resto);
        return 0;
    }
    if (modo == 6) {
        leggiFlusso(resto);
        return 0;
    }
    ImpostazioniImport imp;
    imp.separatore = QString(QChar(u";/,:!"[data[0] / 7 % 5]));
    imp.posBC = 4;
    imp.posQta = 12;
    imp.posRep = 6;
    imp.posPV = 10;
    imp.posDes = 5;
    for (const QString& linea : TextFile::splitLines(TextFile::decode(resto))) {
        RigaImport r;
        switch (modo) {
        case 0:
            if (Listini::lineaSeparata(linea, imp, r)) {
                require(!r.barCode.contains(QLatin1Char('"')));
                require(r.quantita == QLatin1String("2000"));
            }
            break;
        case 1:
            // A line without a description makes no article.
            if (Listini::lineaPoseidon(linea, r))
                require(r.descrizione.size() <= 20 && !r.descrizione.isEmpty() && r.barCode.size() <= 14 &&
                        r.reparto.size() <= 2);
            else
                require(linea.mid(16, 20).trimmed().isEmpty());
            break;
        case 2:
            if (Listini::lineaRCG(linea, r))
                require(r.descrizione.size() <= 30 && !r.descrizione.trimmed().isEmpty() && r.barCode.size() <= 13);
            break;
        default:
            if (Listini::lineaGronte(linea, r))
                require(r.descrizione.size() <= 34 && !r.descrizione.isEmpty() && r.barCode.size() <= 21);
            break;
        }
        (void)Listini::numeroImport(r.prezzo);
    }
    return 0;
}
