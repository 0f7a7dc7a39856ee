#include "core/ArticoliLotto.h"

#include "core/ArticoliRiga.h"
#include "core/Database.h"
#include "core/store/Istruzione.h"

#include <QSqlError>
#include <array>

namespace Articoli {

using namespace Riga;

namespace {

enum Quale {
    SondaBarCode,
    SondaFornitore,
    SondaCEDI,
    RigaPerCodice,
    RigaPerCEDI,
    CodiciPerCEDI,
    EsisteCEDIBarCode,
    GiacenzaPerBarCode,
    GiacenzaPerCodice,
    Ulteriore,
    NuovoCodice,
    Inserisci,
    Aggiorna,
    ImpostaBarCode,
    ImpostaQuantita,
    Istruzioni
};

// `campi`: the fields the whole-row reads select.
QString sqlDi(Quale i, const Campi& campi)
{
    const QString sonda = QStringLiteral("SELECT CodMateriale FROM Magazzino WHERE ");
    const QString giacenza = QStringLiteral("SELECT CodMateriale, \"Quantità\" FROM Magazzino WHERE ");
    const QString primo = QStringLiteral(" = ? ORDER BY CodMateriale LIMIT 1");
    switch (i) {
    case SondaBarCode:
        return sonda + QStringLiteral("BarCode") + primo;
    case SondaFornitore:
        return sonda + QStringLiteral("CodProdottoFornitore") + primo;
    case SondaCEDI:
        return sonda + QStringLiteral("CodArtCEDI") + primo;
    case RigaPerCodice:
        return sqlSeleziona(QStringLiteral("CodMateriale = ?"), campi);
    case RigaPerCEDI:
        // Unlike barcodes, the codes a central-warehouse file changes are mostly there: no probe.
        return sqlSeleziona(QStringLiteral("CodArtCEDI = ? ORDER BY CodMateriale LIMIT 1"), campi);
    case CodiciPerCEDI:
        return sonda + QStringLiteral("CodArtCEDI = ? ORDER BY CodMateriale");
    case EsisteCEDIBarCode:
        return QStringLiteral("SELECT 1 FROM Magazzino WHERE CodArtCEDI = ? AND BarCode = ? LIMIT 1");
    case GiacenzaPerBarCode:
        return giacenza + QStringLiteral("BarCode") + primo;
    case GiacenzaPerCodice:
        return giacenza + QStringLiteral("CodMateriale = ?");
    case Ulteriore:
        return sqlCodicePerBarCodeUlteriore();
    case NuovoCodice:
        return sqlNuovoCodice();
    case Inserisci:
        return sqlInserisci();
    case ImpostaBarCode:
        return QStringLiteral("UPDATE Magazzino SET BarCode = ?, Modificato = 1 WHERE CodMateriale = ?");
    case ImpostaQuantita:
        return QStringLiteral("UPDATE Magazzino SET \"Quantità\" = ? WHERE CodMateriale = ?");
    case Aggiorna: // chosen at construction
    case Istruzioni:
        break;
    }
    return {};
}

qint64 codiceDi(const Db::Istruzione& s)
{
    return s.intero(0);
}

} // namespace

// The statements run on the connection's own handle: Qt's binding of a value cost more than
// SQLite's work on a short statement.
struct Lotto::Dati
{
    std::array<Db::Istruzione, Istruzioni> pronte;
    Campi campi; // read by the whole-row look-ups, written by aggiorna
    QString errore;
    QSqlError ultimo; // the last failure, for what it says about the row

    // Statement `i`, prepared the first time; nullptr (errore set) when it cannot be.
    Db::Istruzione* pronta(Quale i)
    {
        Db::Istruzione& s = pronte[i];
        if (!s.pronta() && !s.prepara(i == Aggiorna ? sqlAggiorna(campi) : sqlDi(i, campi))) {
            fallita(s);
            return nullptr;
        }
        return &s;
    }

    void fallita(const Db::Istruzione& s)
    {
        ultimo = s.errore();
        errore = ultimo.text();
    }

    // The first row of statement `i` with the values `lega` binds, read by `leggi`.
    template <class T, class Lega, class Lettore> Letto<T> primo(Quale i, Lega lega, Lettore leggi)
    {
        Db::Istruzione* s = pronta(i);
        if (!s)
            return Letto<T>::fallito(errore);
        lega(*s);
        switch (s->passo()) {
        case Db::Istruzione::Passo::Riga: {
            Letto<T> r = Letto<T>::trovato(leggi(*s));
            s->azzera();
            return r;
        }
        case Db::Istruzione::Passo::Fine:
            return Letto<T>::assente();
        case Db::Istruzione::Passo::Errore:
            break;
        }
        fallita(*s);
        return Letto<T>::fallito(errore);
    }

    template <class T, class Lettore> Letto<T> primo(Quale i, const QString& chiave, Lettore leggi)
    {
        return primo<T>(
            i, [&chiave](Db::Istruzione& s) { s.lega(0, chiave); }, leggi);
    }

    Articolo riga(const Db::Istruzione& s) const { return leggi(s, campi); }

    // The whole row of the article the probe `sonda` finds.
    Letto<Articolo> articolo(Quale sonda, const QString& valore)
    {
        const Letto<qint64> c = primo<qint64>(sonda, valore, codiceDi);
        if (!c.trovatoValore())
            return c.ok ? Letto<Articolo>::assente() : Letto<Articolo>::fallito(c.errore);
        Letto<Articolo> r = primo<Articolo>(
            RigaPerCodice, [&c](Db::Istruzione& s) { s.lega(0, *c.valore); },
            [this](const Db::Istruzione& s) { return riga(s); });
        if (r.ok && !r.valore) {
            errore = QStringLiteral("riga scomparsa");
            r = Letto<Articolo>::fallito(errore);
        }
        return r;
    }

    template <class Chiave> Letto<Giacenza> giacenza(Quale i, const Chiave& chiave)
    {
        return primo<Giacenza>(
            i, [&chiave](Db::Istruzione& s) { s.lega(0, chiave); },
            [](const Db::Istruzione& s) {
                return Giacenza{codiceDi(s), s.nullo(1) ? std::nullopt : numero(s.valore(1))};
            });
    }

    // Runs write `i` with the values `lega` binds; `riga`, when given, is the code whose one row
    // it must change.
    template <class Lega> Esito scrivi(Quale i, Lega lega, std::optional<qint64> riga = std::nullopt)
    {
        Db::Istruzione* s = pronta(i);
        if (!s)
            return Db::esitoDi(ultimo);
        lega(*s);
        if (!s->esegui()) {
            fallita(*s);
            return Db::esitoDi(ultimo);
        }
        if (riga && s->cambiate() != 1) {
            errore = testoNonTrovato(*riga);
            return dbFallito(errore);
        }
        return Esito::riuscito();
    }
};

Lotto::Lotto(const QStringList& colonne) : d(std::make_unique<Dati>())
{
    d->campi = campi(colonne);
}

Lotto::~Lotto() = default;

const QString& Lotto::errore() const
{
    return d->errore;
}

Letto<Articolo> Lotto::perBarCode(const QString& barCode)
{
    return d->articolo(SondaBarCode, barCode);
}
Letto<Articolo> Lotto::perCodiceFornitore(const QString& codice)
{
    return d->articolo(SondaFornitore, codice);
}
Letto<Articolo> Lotto::perCodiceCEDI(const QString& codice)
{
    return d->primo<Articolo>(RigaPerCEDI, codice, [this](const Db::Istruzione& s) { return d->riga(s); });
}

Letto<QList<qint64>> Lotto::codiciPerCodiceCEDI(const QString& codice)
{
    Db::Istruzione* s = d->pronta(CodiciPerCEDI);
    if (!s)
        return Letto<QList<qint64>>::fallito(d->errore);
    s->lega(0, codice);
    QList<qint64> codici;
    Db::Istruzione::Passo p;
    while ((p = s->passo()) == Db::Istruzione::Passo::Riga)
        codici.append(codiceDi(*s));
    if (p == Db::Istruzione::Passo::Errore) {
        d->fallita(*s);
        return Letto<QList<qint64>>::fallito(d->errore);
    }
    return Letto<QList<qint64>>::trovato(std::move(codici));
}

Letto<qint64> Lotto::codicePerCodiceCEDI(const QString& codice)
{
    return d->primo<qint64>(SondaCEDI, codice, codiceDi);
}
Letto<qint64> Lotto::codicePerBarCodeUlteriore(const QString& barCode)
{
    return d->primo<qint64>(Ulteriore, barCode, codiceDi);
}

Letto<bool> Lotto::esisteCodiceCEDIConBarCode(const QString& codice, const QString& barCode)
{
    const Letto<bool> r = d->primo<bool>(
        EsisteCEDIBarCode,
        [&](Db::Istruzione& s) {
            s.lega(0, codice);
            s.lega(1, barCode);
        },
        [](const Db::Istruzione&) { return true; });
    return r.ok ? Letto<bool>::trovato(r.valore.has_value()) : r;
}

Letto<Giacenza> Lotto::giacenzaPerBarCode(const QString& barCode)
{
    return d->giacenza(GiacenzaPerBarCode, barCode);
}
Letto<Giacenza> Lotto::giacenzaPerCodice(qint64 codice)
{
    return d->giacenza(GiacenzaPerCodice, codice);
}

Esito Lotto::inserisci(Articolo& a)
{
    qint64 codice = a.codMateriale;
    if (codice == 0) {
        const Letto<qint64> n = d->primo<qint64>(
            NuovoCodice, [](Db::Istruzione&) {}, codiceDi);
        if (!n.trovatoValore())
            return dbFallito(n.ok ? QStringLiteral("MAX(CodMateriale)") : n.errore);
        codice = *n.valore;
    }
    const Esito e = d->scrivi(Inserisci, [&](Db::Istruzione& s) { lega(s, a, codice); });
    if (e)
        a.codMateriale = codice;
    return e;
}

Esito Lotto::aggiorna(const Articolo& a)
{
    return d->scrivi(
        Aggiorna, [&](Db::Istruzione& s) { lega(s, a, d->campi, a.codMateriale); }, a.codMateriale);
}

Esito Lotto::impostaBarCode(qint64 codice, const QString& barCode)
{
    return d->scrivi(
        ImpostaBarCode,
        [&](Db::Istruzione& s) {
            s.lega(0, barCode);
            s.lega(1, codice);
        },
        codice);
}

Esito Lotto::impostaQuantita(qint64 codice, double quantita)
{
    return d->scrivi(
        ImpostaQuantita,
        [&](Db::Istruzione& s) {
            s.lega(0, quantita);
            s.lega(1, codice);
        },
        codice);
}

} // namespace Articoli
