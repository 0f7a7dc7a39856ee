#include "reglink/StockBooking.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace StockBooking {

namespace {

const QString kModulo = QStringLiteral("FUNZIONIQuidar");
// No register sends a barcode this long; such a field is line noise.
constexpr int kMaxBarCode = 64;

// The bound statements of one booking, prepared once for the whole file: the article store's
// stock look-ups and writes, and the history line.
struct Statementi
{
    Articoli::Giacenze giacenze;
    QSqlQuery storico{Db::dbNegozio()};
    QString errore;

    bool prepara()
    {
        const bool ok =
            giacenze.ok() &&
            storico.prepare(QStringLiteral("INSERT INTO StoricoPLU (DataModif, EAN, Qta) VALUES (?, ?, ?)"));
        if (!ok)
            errore = giacenze.ok() ? Db::dbNegozio().lastError().text() : giacenze.errore();
        return ok;
    }

    bool registra(qint64 cod, double nuovaQuantita, const QString& data, const QString& ean, double qta)
    {
        if (!giacenze.impostaQuantita(cod, nuovaQuantita)) {
            errore = giacenze.errore();
            return false;
        }
        storico.bindValue(0, data);
        storico.bindValue(1, ean);
        storico.bindValue(2, qta);
        if (!storico.exec()) {
            errore = storico.lastError().text();
            return false;
        }
        return true;
    }
};

void logMalformati(const QString& proc, const QString& path, int n)
{
    if (n > 0)
        ScriviErrore(kModulo, proc, VbErr::TypeMismatch, QStringLiteral("%1 record non validi in %2").arg(n).arg(path));
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
    return LeggiTestoPLU(f.readAll(), pos);
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
    const QString proc = QStringLiteral("AggiornaQuantitaDaFilePLU");
    EsitoPrenotazione esito;
    const Lettura l = LeggiFilePLU(path, posizioniCampi(app().flagPiruNEX, modo));
    if (!l.aperto) {
        ScriviErrore(kModulo, proc, VbErr::FileNotFound, path);
        return esito;
    }
    esito.malformati = l.malformati;
    logMalformati(proc, path, l.malformati);

    Db::Transaction tr;
    Statementi st;
    if (!tr.ok() || !st.prepara()) {
        ScriviErrore(kModulo, proc, VbErr::DatabaseError, st.errore);
        return esito;
    }
    const QString data = Vb::isoDate(oggi);
    for (const RecordRicevuto& r : l.records) {
        if (r.barCode.isEmpty()) {
            ++esito.ignorati;
            continue;
        }
        // An extra barcode books on the article that owns it.
        const Letto<qint64> extra = st.giacenze.codicePerBarCodeUlteriore(r.barCode);
        const Letto<Articoli::Giacenza> g = !extra.ok      ? Letto<Articoli::Giacenza>::fallito(extra.errore)
                                            : extra.valore ? st.giacenze.perCodice(*extra.valore)
                                                           : st.giacenze.perBarCode(r.barCode);
        if (!g.ok) {
            ScriviErrore(kModulo, proc, VbErr::DatabaseError, g.errore);
            return {false, 0, 0, l.malformati};
        }
        // An in-store barcode is held by the register as its characters 3 to 7 (as the send gave
        // it): that article is booked, under its own barcode so the sold-quantity lists show it.
        std::optional<Articoli::Giacenza> trovata = g.valore;
        QString ean = r.barCode;
        if (!trovata && !extra.valore) {
            const Letto<Articolo> a = Articoli::perCodiceInCassa(r.barCode);
            if (!a.ok) {
                ScriviErrore(kModulo, proc, VbErr::DatabaseError, a.errore);
                return {false, 0, 0, l.malformati};
            }
            if (a.valore) {
                trovata = Articoli::Giacenza{a.valore->codMateriale, a.valore->quantita};
                ean = a.valore->barCode;
            }
        }
        if (!trovata) {
            ++esito.ignorati;
            continue;
        }
        const double attuale = trovata->quantita.value_or(0.0);
        if (!st.registra(trovata->codice, attuale - r.quantita, data, ean, r.quantita)) {
            ScriviErrore(kModulo, proc, VbErr::DatabaseError, st.errore);
            return {false, 0, 0, l.malformati};
        }
        ++esito.registrati;
    }
    if (!tr.commit()) {
        ScriviErrore(kModulo, proc, VbErr::DatabaseError, Db::dbNegozio().lastError().text());
        return {false, 0, 0, l.malformati};
    }
    esito.ok = true;
    return esito;
}

EsitoPrenotazione AcquisisciFilePLU(const QDate& oggi)
{
    const QString proc = QStringLiteral("AcquisisciFilePLU");
    const QString path = Paths::inProgramFolder(QStringLiteral("PLUQuidar.txt"));
    EsitoPrenotazione esito;
    const Lettura l = LeggiFilePLU(path, {3, 11});
    if (!l.aperto) {
        ScriviErrore(kModulo, proc, VbErr::FileNotFound, path);
        return esito;
    }
    esito.malformati = l.malformati;
    logMalformati(proc, path, l.malformati);

    Db::Transaction tr;
    Statementi st;
    if (!tr.ok() || !st.prepara()) {
        ScriviErrore(kModulo, proc, VbErr::DatabaseError, st.errore);
        return esito;
    }
    const QString data = Vb::isoDate(oggi);
    for (const RecordRicevuto& r : l.records) {
        if (r.barCode.isEmpty()) {
            ++esito.ignorati;
            continue;
        }
        const Letto<Articoli::Giacenza> g = st.giacenze.perBarCode(r.barCode);
        if (!g.ok) {
            ScriviErrore(kModulo, proc, VbErr::DatabaseError, g.errore);
            return {false, 0, 0, l.malformati};
        }
        if (!g.valore) {
            ++esito.ignorati;
            continue;
        }
        const double attuale = g.valore->quantita.value_or(0.0);
        // The register's figure is the new stock; an unchanged figure books nothing.
        if (g.valore->quantita && Vb::cstr(attuale) == Vb::cstr(r.quantita)) {
            ++esito.ignorati;
            continue;
        }
        if (!st.registra(g.valore->codice, r.quantita, data, r.barCode, attuale - r.quantita)) {
            ScriviErrore(kModulo, proc, VbErr::DatabaseError, st.errore);
            return {false, 0, 0, l.malformati};
        }
        ++esito.registrati;
    }
    if (!tr.commit()) {
        ScriviErrore(kModulo, proc, VbErr::DatabaseError, Db::dbNegozio().lastError().text());
        return {false, 0, 0, l.malformati};
    }
    esito.ok = true;
    return esito;
}

} // namespace StockBooking
