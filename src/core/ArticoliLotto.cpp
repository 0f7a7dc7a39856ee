#include "core/ArticoliLotto.h"

#include "core/ArticoliRiga.h"
#include "core/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <array>

namespace Articoli {

using namespace Riga;

namespace {

enum Istruzione {
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
QString sqlDi(Istruzione i, const Campi& campi)
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

qint64 codiceDi(const QSqlQuery& q)
{
    return q.value(0).toLongLong();
}

// Qt makes up a name for a bound position on every call, which costs more than the SQLite work of
// a short statement: these statements name their places once, ":v0" on, and bind by those names.
constexpr int kSegnaposti = 32; // the widest statement, the INSERT, has 24
const QString& segnaposto(int k)
{
    static const std::array<QString, kSegnaposti> nomi = [] {
        std::array<QString, kSegnaposti> n;
        for (int i = 0; i < kSegnaposti; ++i)
            n[size_t(i)] = QStringLiteral(":v%1").arg(i);
        return n;
    }();
    return nomi[size_t(k)];
}

// `sql` with its "?" named by segnaposto(); empty when it has too many (none holds a literal "?").
QString conNomi(const QString& sql)
{
    QString t;
    int n = 0;
    for (QChar c : sql) {
        if (c != QLatin1Char('?')) {
            t += c;
        } else if (n < kSegnaposti) {
            t += segnaposto(n++);
        } else {
            return {};
        }
    }
    return t;
}

} // namespace

struct Lotto::Dati
{
    std::array<std::unique_ptr<QSqlQuery>, Istruzioni> pronte;
    Campi campi; // read by the whole-row look-ups, written by aggiorna
    QString errore;
    QSqlError ultimo; // the last failure, for what it says about the row

    // Statement `i`, prepared the first time, run with `valori`; nullptr (errore set) on failure.
    QSqlQuery* esegui(Istruzione i, const QVariantList& valori)
    {
        std::unique_ptr<QSqlQuery>& q = pronte[i];
        if (!q) {
            auto nuova = std::make_unique<QSqlQuery>(Db::dbNegozio());
            nuova->setForwardOnly(true);
            if (!nuova->prepare(conNomi(i == Aggiorna ? sqlAggiorna(campi) : sqlDi(i, campi)))) {
                ultimo = nuova->lastError();
                errore = ultimo.text();
                return nullptr;
            }
            q = std::move(nuova);
        }
        for (int k = 0; k < valori.size() && k < kSegnaposti; ++k)
            q->bindValue(segnaposto(k), valori.at(k));
        if (!q->exec()) {
            ultimo = q->lastError();
            errore = ultimo.text();
            return nullptr;
        }
        return q.get();
    }

    // The first row of statement `i`, read by `leggi`.
    template <class T, class Lettore> Letto<T> primo(Istruzione i, const QVariantList& valori, Lettore leggi)
    {
        QSqlQuery* q = esegui(i, valori);
        if (!q)
            return Letto<T>::fallito(errore);
        Letto<T> r = q->next() ? Letto<T>::trovato(leggi(*q)) : Letto<T>::assente();
        if (!r.valore && q->lastError().isValid()) {
            errore = q->lastError().text();
            r = Letto<T>::fallito(errore);
        }
        q->finish();
        return r;
    }

    Articolo riga(const QSqlQuery& q) const { return leggi(q, campi); }

    // The whole row of the article the probe `sonda` finds.
    Letto<Articolo> articolo(Istruzione sonda, const QString& valore)
    {
        const Letto<qint64> c = primo<qint64>(sonda, {valore}, codiceDi);
        if (!c.trovatoValore())
            return c.ok ? Letto<Articolo>::assente() : Letto<Articolo>::fallito(c.errore);
        Letto<Articolo> r = primo<Articolo>(RigaPerCodice, {*c.valore}, [this](const QSqlQuery& q) { return riga(q); });
        if (r.ok && !r.valore) {
            errore = QStringLiteral("riga scomparsa");
            r = Letto<Articolo>::fallito(errore);
        }
        return r;
    }

    Letto<Giacenza> giacenza(Istruzione i, const QVariant& chiave)
    {
        return primo<Giacenza>(i, {chiave}, [](const QSqlQuery& q) {
            return Giacenza{codiceDi(q), numero(q.value(1))};
        });
    }

    // Runs write `i`; `riga`, when given, is the code whose one row it must change.
    Esito scrivi(Istruzione i, const QVariantList& valori, std::optional<qint64> riga = std::nullopt)
    {
        QSqlQuery* q = esegui(i, valori);
        if (!q)
            return Db::esitoDi(ultimo);
        if (riga && q->numRowsAffected() != 1) {
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
    return d->primo<Articolo>(RigaPerCEDI, {codice}, [this](const QSqlQuery& q) { return d->riga(q); });
}

Letto<QList<qint64>> Lotto::codiciPerCodiceCEDI(const QString& codice)
{
    QSqlQuery* q = d->esegui(CodiciPerCEDI, {codice});
    if (!q)
        return Letto<QList<qint64>>::fallito(d->errore);
    QList<qint64> codici;
    while (q->next())
        codici.append(codiceDi(*q));
    if (q->lastError().isValid()) {
        d->errore = q->lastError().text();
        q->finish();
        return Letto<QList<qint64>>::fallito(d->errore);
    }
    q->finish();
    return Letto<QList<qint64>>::trovato(std::move(codici));
}

Letto<qint64> Lotto::codicePerCodiceCEDI(const QString& codice)
{
    return d->primo<qint64>(SondaCEDI, {codice}, codiceDi);
}
Letto<qint64> Lotto::codicePerBarCodeUlteriore(const QString& barCode)
{
    return d->primo<qint64>(Ulteriore, {barCode}, codiceDi);
}

Letto<bool> Lotto::esisteCodiceCEDIConBarCode(const QString& codice, const QString& barCode)
{
    const Letto<bool> r = d->primo<bool>(EsisteCEDIBarCode, {codice, barCode}, [](const QSqlQuery&) { return true; });
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
        const Letto<qint64> n = d->primo<qint64>(NuovoCodice, {}, codiceDi);
        if (!n.trovatoValore())
            return dbFallito(n.ok ? QStringLiteral("MAX(CodMateriale)") : n.errore);
        codice = *n.valore;
    }
    const Esito e = d->scrivi(Inserisci, valori(a, codice));
    if (e)
        a.codMateriale = codice;
    return e;
}

Esito Lotto::aggiorna(const Articolo& a)
{
    return d->scrivi(Aggiorna, valori(a, d->campi, a.codMateriale), a.codMateriale);
}

Esito Lotto::impostaBarCode(qint64 codice, const QString& barCode)
{
    return d->scrivi(ImpostaBarCode, {valore(barCode), codice}, codice);
}

Esito Lotto::impostaQuantita(qint64 codice, double quantita)
{
    return d->scrivi(ImpostaQuantita, {quantita, codice}, codice);
}

} // namespace Articoli
