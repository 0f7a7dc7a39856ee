#include "reglink/StockBooking.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/ArticoliLotto.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/store/Istruzione.h"

#include <QFile>
#include <cmath>
#include <functional>

namespace StockBooking {

namespace {

const QString kModulo = QStringLiteral("FUNZIONIQuidar");
// No register sends a barcode this long; such a field is line noise.
constexpr int kMaxBarCode = 64;

// The bound statements of one booking, prepared once for the whole file: the article table's
// stock look-ups and writes, and the history line.
struct Statementi
{
    Articoli::Lotto articoli;
    Db::Istruzione storico;
    QString errore;

    bool prepara()
    {
        if (!storico.prepara(QStringLiteral("INSERT INTO StoricoPLU (DataModif, EAN, Qta) VALUES (?, ?, ?)"))) {
            errore = storico.errore().text();
            return false;
        }
        return true;
    }

    bool registra(qint64 cod, double nuovaQuantita, const QString& data, const QString& ean, double qta)
    {
        if (!articoli.impostaQuantita(cod, nuovaQuantita)) {
            errore = articoli.errore();
            return false;
        }
        storico.lega(0, data);
        storico.lega(1, ean);
        storico.lega(2, qta);
        if (!storico.esegui()) {
            errore = storico.errore().text();
            return false;
        }
        return true;
    }
};

// What one record did to the booking.
enum class Passo { Registrato, Ignorato, Fallito };
using Prenota = std::function<Passo(Statementi&, const RecordRicevuto&, const QString& data)>;

void logMalformati(const QString& proc, const QString& path, int n)
{
    if (n > 0)
        ScriviErrore(kModulo, proc, VbErr::TypeMismatch, QStringLiteral("%1 record non validi in %2").arg(n).arg(path));
}

// Reads the file and books each record through `prenota`, the whole file in one transaction.
EsitoPrenotazione prenotaFile(const QString& proc, const QString& path, const Posizioni& pos, const QDate& oggi,
                              const Prenota& prenota)
{
    EsitoPrenotazione esito;
    const Lettura l = LeggiFilePLU(path, pos);
    if (!l.aperto) {
        ScriviErrore(kModulo, proc, VbErr::FileNotFound, path);
        return esito;
    }
    esito.malformati = l.malformati;
    logMalformati(proc, path, l.malformati);

    Db::Transaction tr;
    Statementi st;
    if (!tr.ok() || !st.prepara()) {
        ScriviErrore(kModulo, proc, VbErr::DatabaseError, tr.ok() ? st.errore : tr.errore());
        return esito;
    }
    const QString data = Vb::isoDate(oggi);
    for (const RecordRicevuto& r : l.records) {
        const Passo p = r.barCode.isEmpty() ? Passo::Ignorato : prenota(st, r, data);
        if (p == Passo::Fallito) {
            ScriviErrore(kModulo, proc, VbErr::DatabaseError, st.errore);
            return {false, 0, 0, l.malformati};
        }
        ++(p == Passo::Registrato ? esito.registrati : esito.ignorati);
    }
    if (!tr.commit()) {
        ScriviErrore(kModulo, proc, VbErr::DatabaseError, tr.errore());
        return {false, 0, 0, l.malformati};
    }
    esito.ok = true;
    return esito;
}

} // namespace

Posizioni posizioniCampi(bool flagPiruNEX, int modo)
{
    if (flagPiruNEX || modo == 1)
        return {3, 12};
    return {4, 8};
}

Lettura LeggiFilePLU(const QString& path, const Posizioni& pos)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return {}; // part of the sales booked as all of them
    return LeggiTestoPLU(bytes, pos);
}

Lettura LeggiTestoPLU(const QByteArray& bytes, const Posizioni& pos)
{
    Lettura out;
    const QStringList righe = TextFile::splitLines(TextFile::decode(bytes));
    out.aperto = true;
    const int serve = std::max(pos.barCode, pos.quantita);
    for (const QString& riga : righe) {
        if (riga.isEmpty())
            continue;
        const QStringList pezzi = riga.split(QLatin1Char('/'));
        if (pezzi.size() <= serve) {
            ++out.malformati;
            continue;
        }
        RecordRicevuto r;
        r.barCode = pezzi.at(pos.barCode);
        const QString q = pezzi.at(pos.quantita);
        if (r.barCode.size() > kMaxBarCode) {
            ++out.malformati;
            continue;
        }
        if (q.isEmpty()) {
            r.quantita = 0;
        } else {
            const std::optional<double> v = Vb::cdbl(q);
            if (!v || !std::isfinite(*v)) {
                ++out.malformati;
                continue;
            }
            r.quantita = *v / 1000.0;
        }
        out.records << r;
    }
    return out;
}

EsitoPrenotazione AggiornaQuantitaDaFilePLU(const QString& path, int modo, const QDate& oggi)
{
    const auto prenota = [](Statementi& st, const RecordRicevuto& r, const QString& data) {
        // An extra barcode books on the article that owns it.
        const Letto<qint64> extra = st.articoli.codicePerBarCodeUlteriore(r.barCode);
        const Letto<Articoli::Giacenza> g = !extra.ok      ? Letto<Articoli::Giacenza>::fallito(extra.errore)
                                            : extra.valore ? st.articoli.giacenzaPerCodice(*extra.valore)
                                                           : st.articoli.giacenzaPerBarCode(r.barCode);
        if (!g.ok) {
            st.errore = g.errore;
            return Passo::Fallito;
        }
        // An in-store barcode is held by the register as its characters 3 to 7 (as the send gave
        // it): that article is booked, under its own barcode so the sold-quantity lists show it.
        std::optional<Articoli::Giacenza> trovata = g.valore;
        QString ean = r.barCode;
        if (!trovata && !extra.valore) {
            const Letto<Articolo> a = Articoli::perCodiceInCassa(r.barCode);
            if (!a.ok) {
                st.errore = a.errore;
                return Passo::Fallito;
            }
            if (a.valore) {
                trovata = Articoli::Giacenza{a.valore->codMateriale, a.valore->quantita};
                ean = a.valore->barCode;
            }
        }
        if (!trovata)
            return Passo::Ignorato;
        const double attuale = trovata->quantita.value_or(0.0);
        return st.registra(trovata->codice, attuale - r.quantita, data, ean, r.quantita) ? Passo::Registrato
                                                                                         : Passo::Fallito;
    };
    return prenotaFile(QStringLiteral("AggiornaQuantitaDaFilePLU"), path, posizioniCampi(app().flagPiruNEX, modo), oggi,
                       prenota);
}

EsitoPrenotazione AcquisisciFilePLU(const QDate& oggi)
{
    const auto prenota = [](Statementi& st, const RecordRicevuto& r, const QString& data) {
        const Letto<Articoli::Giacenza> g = st.articoli.giacenzaPerBarCode(r.barCode);
        if (!g.ok) {
            st.errore = g.errore;
            return Passo::Fallito;
        }
        if (!g.valore)
            return Passo::Ignorato;
        const double attuale = g.valore->quantita.value_or(0.0);
        // The register's figure is the new stock; an unchanged figure books nothing.
        if (g.valore->quantita && Vb::cstr(attuale) == Vb::cstr(r.quantita))
            return Passo::Ignorato;
        return st.registra(g.valore->codice, r.quantita, data, r.barCode, attuale - r.quantita) ? Passo::Registrato
                                                                                                : Passo::Fallito;
    };
    return prenotaFile(QStringLiteral("AcquisisciFilePLU"), Paths::inProgramFolder(QStringLiteral("PLUQuidar.txt")),
                       {3, 11}, oggi, prenota);
}

} // namespace StockBooking
