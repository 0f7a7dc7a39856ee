#include "archive/ArticleList.h"

#include "core/Articoli.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/VbConvert.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

// ---------------------------------------------------------------------------------------------
// The article list load

namespace ArticleList {

namespace {

const QString kModulo = QStringLiteral("Magazzino");
const QString kProc = QStringLiteral("CaricaMagazzino");

// One line per kind of failure and load: a list of a thousand rows must not flood the log.
class Registro
{
public:
    void errore(VbErr e, const QString& dettaglio)
    {
        const QString chiave = QString::number(int(e)) + QLatin1Char('|') + dettaglio;
        if (m_visti.contains(chiave))
            return;
        m_visti.insert(chiave);
        ScriviErrore(kModulo, kProc, e, dettaglio);
    }

private:
    QSet<QString> m_visti;
};

// The count does not depend on the order: without it SQLite counts from the smallest index.
QString senzaOrdinamento(const QString& sql)
{
    static const QRegularExpression re(QStringLiteral("\\s+order\\s+by\\s+[\\w\\s,.\"\\[\\]]+$"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::UseUnicodePropertiesOption);
    QString s = sql.trimmed();
    while (s.endsWith(QLatin1Char(';')))
        s.chop(1);
    const auto m = re.match(s);
    return m.hasMatch() ? s.left(m.capturedStart()) : s;
}

void colora(RigaLista& r, int ultima, const QColor& c)
{
    for (int i = 0; i <= ultima; ++i)
        r.colore[i] = c;
}

// The list's row of one article: its texts by column, its colours and the record itself.
RigaLista riga(Articoli::ArticoloElencato&& a, Articoli::ArticoloMostrato&& m)
{
    RigaLista r(kColonne);
    r.articolo = std::move(a);
    Articoli::TestiArticolo& t = m.testi;
    QStringList& c = r.testo;
    c[colCod] = std::move(t.codice);
    c[colDescrizione] = std::move(t.descrizione);
    c[colReparto] = std::move(t.reparto);
    c[colQta] = std::move(t.quantita);
    c[colMin] = std::move(t.minimo);
    c[colUM] = std::move(t.unitaMisura);
    c[colPrezzoV] = std::move(t.prezzoVendita);
    c[colFornitore] = std::move(t.fornitore);
    c[colTaglia] = std::move(t.taglia);
    c[colColore] = std::move(t.colore);
    c[colTipoMateriale] = std::move(t.tipoMateriale);
    c[colBarCode] = std::move(t.barCode);
    c[colPrezzoA] = std::move(t.prezzoAcquisto);
    c[colCodForn] = std::move(t.codiceFornitore);
    c[colIva] = std::move(t.iva);
    c[colPesoConf] = std::move(t.pesoConf);
    c[colRicarico] = std::move(t.ricarico);
    // Colours: later rules overwrite earlier ones where both hold.
    if (m.esaurito)
        colora(r, colBarCode, rosso());
    if (m.modificato)
        colora(r, colIva, verde());
    if (m.ricaricoBasso)
        colora(r, colRicarico, blu());
    return r;
}

// The SELECT of a filter: the whole archive or the search's.
Letto<ArticleSearch::Query> query(const Filtro& f)
{
    switch (f.tipo) {
    case Filtro::Tipo::Tutti:
        return Letto<ArticleSearch::Query>::trovato({ArticleSearch::tutti(), {}});
    case Filtro::Tipo::TuttiPerDescrizione:
        return Letto<ArticleSearch::Query>::trovato({ArticleSearch::tuttoArchivio(), {}});
    case Filtro::Tipo::Ricerca:
        break;
    }
    return ArticleSearch::costruisci(f.criteri);
}

Caricamento fallito(const QString& errore, bool inUso)
{
    Caricamento out;
    out.aperto = false;
    out.inUso = inUso;
    out.errore = errore;
    return out;
}
Caricamento fallito(const QString& errore)
{
    return fallito(errore, Db::inUso(errore));
}
Caricamento fallito(const QSqlError& errore)
{
    return fallito(errore.text(), Db::inUso(errore));
}

} // namespace

const QStringList& intestazioni()
{
    static const QStringList h = {
        QStringLiteral("Cod"),
        QStringLiteral("Descrizione"),
        QStringLiteral("Reparto"),
        QStringLiteral("Q.tà"),
        QStringLiteral("Min"),
        QStringLiteral("U.M."),
        QStringLiteral("Prz. V"),
        QStringLiteral("Fornitore"),
        QStringLiteral("Taglia - Misura"),
        QStringLiteral("Colore"),
        QStringLiteral("Tipo Materiale"),
        QStringLiteral("BarCode"),
        QStringLiteral("Aggiornato"),
        QStringLiteral("Prz. A"),
        QStringLiteral("CodForn"),
        QStringLiteral("IVA"),
        QStringLiteral("PesoConf."),
        QStringLiteral("% Ric"),
    };
    return h;
}

Caricamento leggi(const Filtro& f)
{
    const Letto<ArticleSearch::Query> q = query(f);
    if (!q.ok)
        return fallito(q.errore);
    return leggi(q.valore->sql, q.valore->valori);
}

Caricamento leggi(const QString& sql, const QVariantList& valori)
{
    Caricamento out;
    Registro log;

    {
        QSqlQuery conta = Db::queryAvanti(
            QStringLiteral("SELECT COUNT(*) FROM (") + senzaOrdinamento(sql) + QLatin1Char(')'), valori);
        if (!conta.isActive() || !conta.next())
            return fallito(conta.lastError());
        out.totVoci = conta.value(0).toLongLong();
    }

    QSqlQuery q = Db::queryAvanti(sql, valori);
    if (!q.isActive())
        return fallito(q.lastError());
    const Articoli::ColonneElenco colonne(q.record());
    Articoli::FormatoElenco formato;
    out.righe.reserve(qMin<qint64>(out.totVoci, kMaxRighe));
    while (out.listate < kMaxRighe && q.next()) {
        // Only rows explicitly not deleted are listed; a Null flag counts as deleted.
        const QVariant el = colonne.eliminato() < 0 ? QVariant() : q.value(colonne.eliminato());
        if (el.isNull() || Db::isTrue(el))
            continue;
        Articoli::ArticoloElencato a = colonne.leggi(q);
        Articoli::ArticoloMostrato m = formato.mostra(a);
        for (const Articoli::Anomalia& x : std::as_const(m.anomalie))
            log.errore(x.errore, x.dettaglio);
        if (m.valore)
            out.valore += *m.valore;
        out.righe.append(riga(std::move(a), std::move(m)));
        ++out.listate;
    }
    if (q.lastError().isValid())
        return fallito(q.lastError());
    if (formato.erroreReparti())
        return fallito(*formato.erroreReparti());
    return out;
}

QString testoValore(double valore)
{
    return Vb::format(valore, QStringLiteral("0.000000"));
}

QString testoConteggio(qint64 n)
{
    return QString::number(n);
}

bool ImpostaTipoVariazione(const QString& codice, bool salta, bool perFrontalini)
{
    if (salta)
        return true;
    const std::optional<qint64> n = Articoli::codiceDaTesto(codice);
    const Esito e = n ? Articoli::segnaFrontalino(*n, perFrontalini) : Esito::riuscito(); // no such row
    if (!e)
        ScriviErrore(kModulo, kProc, VbErr::DatabaseError, e.descrizione);
    return bool(e);
}

bool ImpostaTipoVariazione(const QStringList& codici, bool perFrontalini)
{
    if (codici.isEmpty())
        return true;
    Db::Transaction t; // inside a caller's transaction, a savepoint
    if (!t.ok()) {
        ScriviErrore(kModulo, kProc, VbErr::DatabaseError, t.errore());
        return false;
    }
    for (const QString& c : codici)
        if (!ImpostaTipoVariazione(c, false, perFrontalini))
            return false; // rolled back: either every listed mark changes or none
    if (!t.commit()) {
        ScriviErrore(kModulo, kProc, VbErr::DatabaseError, t.errore());
        return false;
    }
    return true;
}

Letto<QList<RigaLista>> eliminati()
{
    QList<RigaLista> out;
    const Letto<QList<ArticleSearch::Eliminato>> letti = ArticleSearch::eliminati();
    if (!letti.ok) {
        ScriviErrore(kModulo, QStringLiteral("Recupera_Click"), VbErr::DatabaseError, letti.errore);
        return Letto<QList<RigaLista>>::fallito(letti.errore);
    }
    for (const ArticleSearch::Eliminato& e : *letti.valore) {
        RigaLista r(4);
        r.testo[0] = e.codice;
        r.testo[1] = e.descrizione;
        r.testo[2] = e.barCode;
        double d = 0;
        if (Articoli::leggiNumero(e.costo, d) == Articoli::Numero::Ok)
            r.testo[3] = Vb::money(d);
        out << r;
    }
    return Letto<QList<RigaLista>>::trovato(out);
}

bool ripristina(const QString& codice)
{
    const std::optional<qint64> n = Articoli::codiceDaTesto(codice);
    const Esito e = n ? Articoli::ripristina(*n) : Esito::riuscito(); // no such row
    if (!e)
        ScriviErrore(kModulo, QStringLiteral("Recupera_Click"), VbErr::DatabaseError, e.descrizione);
    return bool(e);
}

} // namespace ArticleList
