#include "archive/ArticleList.h"

#include "core/Articoli.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/VbConvert.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <charconv>
#include <cmath>
#include <optional>

// ---------------------------------------------------------------------------------------------
// The article list load

namespace ArticleList {

namespace {

const QString kModulo = QStringLiteral("Magazzino");
const QString kProc = QStringLiteral("CaricaMagazzino");

enum class Num { Ok, Null, NonNumero };

// Numbers come back typed from SQLite; text (old imports) is read with Italian settings.
Num numero(const QVariant& v, double& out)
{
    if (!v.isValid() || v.isNull())
        return Num::Null;
    switch (v.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        out = v.toDouble();
        return Num::Ok;
    default:
        break;
    }
    if (const auto d = Vb::cdbl(v.toString())) {
        out = *d;
        return Num::Ok;
    }
    return Num::NonNumero;
}

QString testoNumero(const QVariant& v)
{
    double d = 0;
    if (numero(v, d) == Num::Ok && v.metaType().id() != QMetaType::QString)
        return Vb::cstr(d);
    return v.toString();
}

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

// Department descriptions by code, read once per load instead of once per row.
class Reparti
{
public:
    QString nome(int cod)
    {
        if (!m_letti) {
            m_letti = true;
            // Unread names show as their codes.
            const Letto<QList<Reparto>> reparti = Articoli::reparti();
            if (reparti.ok)
                for (const Reparto& r : *reparti.valore)
                    m_nomi.insert(r.cod, r.descrizione);
        }
        const auto it = m_nomi.constFind(cod);
        return it == m_nomi.constEnd() ? QString::number(cod) : it.value();
    }

private:
    bool m_letti = false;
    QHash<int, QString> m_nomi;
};

struct Indici
{
    int cod, eliminato, descrizione, genere, quantita, minimo, um, costo, fornitore, taglia, colore, tipoMateriale,
        barCode, costo2, codForn, codPV, modificato;

    explicit Indici(const QSqlRecord& r)
        : cod(r.indexOf(QStringLiteral("CodMateriale"))), eliminato(r.indexOf(QStringLiteral("Eliminato"))),
          descrizione(r.indexOf(QStringLiteral("Descrizione"))), genere(r.indexOf(QStringLiteral("Genere"))),
          quantita(r.indexOf(QStringLiteral("Quantità"))), minimo(r.indexOf(QStringLiteral("Minimo"))),
          um(r.indexOf(QStringLiteral("UnitaMisura"))), costo(r.indexOf(QStringLiteral("Costo"))),
          fornitore(r.indexOf(QStringLiteral("Fornitore"))), taglia(r.indexOf(QStringLiteral("Taglia"))),
          colore(r.indexOf(QStringLiteral("Colore"))), tipoMateriale(r.indexOf(QStringLiteral("TipoMateriale"))),
          barCode(r.indexOf(QStringLiteral("BarCode"))), costo2(r.indexOf(QStringLiteral("Costo2"))),
          codForn(r.indexOf(QStringLiteral("CodProdottoFornitore"))), codPV(r.indexOf(QStringLiteral("CodPV"))),
          modificato(r.indexOf(QStringLiteral("Modificato")))
    {
    }
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

// A number as Vb::money wrote it ("1.234,56", "-0,50") read back; the list reads its own cells
// thousands of times per load, so this skips the general Italian parser.
double lettoDaImporto(const QString& testo)
{
    char buf[64];
    int n = 0;
    for (QChar ch : testo) {
        if (n >= int(sizeof(buf)) - 1)
            break;
        const char16_t u = ch.unicode();
        if (u == u'.')
            continue;
        buf[n++] = u == u',' ? '.' : char(u);
    }
    double v = 0;
    std::from_chars(buf, buf + n, v); // locale-independent, unlike strtod
    return v;
}

// The mark-up from the two prices as their two-decimal texts read back (s sale, c purchase).
// nullopt: not computed. A zero price with VAT fails and counts as a mark-up of 0.
std::optional<double> valoreRicarico(double s, double c, const QVariant& codPV, bool* fallito)
{
    if (fallito)
        *fallito = false;
    if (c == 0)
        return std::nullopt;
    double iva = 0;
    if (numero(codPV, iva) != Num::Ok) {
        // Without a VAT rate there is no price with VAT to compare with.
        if (fallito)
            *fallito = true;
        return std::nullopt;
    }
    const double conIva = Vb::roundHalfAway(c + (c * iva) / 100, 2);
    if (conIva == 0) {
        if (fallito)
            *fallito = true;
        return 0.0;
    }
    // Shown through its 15-digit text with two decimals; the same rounding as Vb::money.
    return ((s - conIva) * 100) / conIva;
}

// Quantities, minimums and prices repeat a lot within one list: each text is formatted once.
class Importi
{
public:
    QString testo(double d)
    {
        if (!std::isfinite(d))
            return Vb::money(d);
        auto it = m_testi.constFind(d);
        if (it == m_testi.constEnd())
            it = m_testi.insert(d, Vb::money(d));
        return it.value();
    }

private:
    QHash<double, QString> m_testi;
};

class Riempitore
{
public:
    Riempitore(Registro& log, Reparti& rep, const Indici& ix) : m_log(log), m_rep(rep), m_ix(ix) {}

    // Fills one row; adds its stock value to `valore`.
    RigaLista riga(const QSqlQuery& q, double& valore)
    {
        RigaLista r(kColonne);
        QStringList& t = r.testo;

        const QVariant cod = campo(q, m_ix.cod, QStringLiteral("CodMateriale"));
        if (cod.isNull())
            nullo(QStringLiteral("CodMateriale"));
        else
            t[colCod] = testoNumero(cod);

        const QVariant descr = campo(q, m_ix.descrizione, QStringLiteral("Descrizione"));
        t[colDescrizione] = descr.isNull() ? QStringLiteral(" ") : descr.toString();

        t[colReparto] = reparto(campo(q, m_ix.genere, QStringLiteral("Genere")));

        const QVariant qta = campo(q, m_ix.quantita, QStringLiteral("Quantità"));
        double quantita = 0;
        const Num nq = numero(qta, quantita);
        t[colQta] = dueDecimali(qta, QStringLiteral("Quantità"));
        t[colMin] = dueDecimali(campo(q, m_ix.minimo, QStringLiteral("Minimo")), QStringLiteral("Minimo"));

        const QVariant um = campo(q, m_ix.um, QStringLiteral("UnitaMisura"));
        if (um.isNull())
            nullo(QStringLiteral("UnitaMisura"));
        else
            t[colUM] = um.toString();

        const QVariant costo = campo(q, m_ix.costo, QStringLiteral("Costo"));
        t[colPrezzoV] = dueDecimali(costo, QStringLiteral("Costo"));

        const QVariant forn = campo(q, m_ix.fornitore, QStringLiteral("Fornitore"));
        t[colFornitore] = forn.isNull() ? QStringLiteral("***") : forn.toString();

        // Stock value: an unknown quantity adds nothing (it used to count as one).
        double prezzo = 0;
        const Num nc = numero(costo, prezzo);
        if (nq == Num::Ok && nc == Num::Ok)
            valore += quantita * prezzo;
        else if (nq == Num::Ok && nc == Num::NonNumero)
            m_log.errore(VbErr::TypeMismatch, QStringLiteral("Costo"));

        t[colTaglia] = testo(campo(q, m_ix.taglia, QStringLiteral("Taglia")));
        t[colColore] = testo(campo(q, m_ix.colore, QStringLiteral("Colore")));
        const QString tipo = testo(campo(q, m_ix.tipoMateriale, QStringLiteral("TipoMateriale")));
        t[colTipoMateriale] = tipo;
        t[colBarCode] = testo(campo(q, m_ix.barCode, QStringLiteral("BarCode")));
        const QVariant costo2 = campo(q, m_ix.costo2, QStringLiteral("Costo2"));
        t[colPrezzoA] = costo2.isNull() ? QString() : dueDecimali(costo2, QStringLiteral("Costo2"));
        t[colCodForn] = testo(campo(q, m_ix.codForn, QStringLiteral("CodProdottoFornitore")));
        const QVariant codPV = campo(q, m_ix.codPV, QStringLiteral("CodPV"));
        t[colIva] = codPV.isNull() ? QString() : testoNumero(codPV);
        t[colPesoConf] = tipo == QLatin1String("***") ? QString() : tipo;

        // The mark-up reads the two prices back as shown, with two decimals.
        std::optional<double> ric;
        if (!t[colPrezzoV].isEmpty() && !t[colPrezzoA].isEmpty()) {
            bool fallito = false;
            ric = valoreRicarico(lettoDaImporto(t[colPrezzoV]), lettoDaImporto(t[colPrezzoA]), codPV, &fallito);
            if (fallito)
                m_log.errore(codPV.isNull() ? VbErr::InvalidUseOfNull : VbErr::DivisionByZero, QStringLiteral("% Ric"));
        }
        if (ric)
            t[colRicarico] = m_importi.testo(*ric);
        const double ricMostrato = ric ? lettoDaImporto(t[colRicarico]) : 0;

        // Colours: later rules overwrite earlier ones where both hold.
        if (nq == Num::Ok && quantita <= 0)
            colora(r, colBarCode, rosso());
        if (Db::isTrue(campo(q, m_ix.modificato, QStringLiteral("Modificato"))))
            colora(r, colIva, verde());
        if (ric && ricMostrato < 35)
            colora(r, colRicarico, blu());
        return r;
    }

private:
    static void colora(RigaLista& r, int ultima, const QColor& c)
    {
        for (int i = 0; i <= ultima; ++i)
            r.colore[i] = c;
    }

    QVariant campo(const QSqlQuery& q, int i, const QString& nome)
    {
        if (i < 0) {
            m_log.errore(VbErr::DatabaseError, QStringLiteral("colonna mancante ") + nome);
            return {};
        }
        return q.value(i);
    }

    void nullo(const QString& nome) { m_log.errore(VbErr::InvalidUseOfNull, nome); }

    static QString testo(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

    QString dueDecimali(const QVariant& v, const QString& nome)
    {
        double d = 0;
        switch (numero(v, d)) {
        case Num::Ok:
            return m_importi.testo(d);
        case Num::Null:
            nullo(nome);
            break;
        case Num::NonNumero:
            m_log.errore(VbErr::TypeMismatch, nome);
            break;
        }
        return {};
    }

    QString reparto(const QVariant& v)
    {
        if (v.isNull())
            return {};
        double d = 0;
        if (numero(v, d) != Num::Ok)
            return v.toString();
        const auto cod = Vb::cint(d);
        if (!cod) {
            m_log.errore(VbErr::Overflow, QStringLiteral("Genere"));
            return {};
        }
        return m_rep.nome(*cod);
    }

    Registro& m_log;
    Reparti& m_rep;
    const Indici& m_ix;
    Importi m_importi;
};

// The SELECT of a filter: the whole archive or the search's.
ArticleSearch::Query query(const Filtro& f)
{
    switch (f.tipo) {
    case Filtro::Tipo::Tutti:
        return {ArticleSearch::tutti(), {}};
    case Filtro::Tipo::TuttiPerDescrizione:
        return {ArticleSearch::tuttoArchivio(), {}};
    case Filtro::Tipo::Ricerca:
        break;
    }
    return ArticleSearch::costruisci(f.criteri);
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

QString ricarico(const QString& prezzoV, const QString& prezzoA, const QVariant& codPV, bool* fallito)
{
    if (fallito)
        *fallito = false;
    if (prezzoV.isEmpty() || prezzoA.isEmpty())
        return {};
    const auto c = Vb::cdbl(prezzoA);
    const auto s = Vb::cdbl(prezzoV);
    if (!c || !s)
        return {};
    const auto m = valoreRicarico(*s, *c, codPV, fallito);
    return m ? Vb::money(*m) : QString();
}

Caricamento leggi(const Filtro& f)
{
    const ArticleSearch::Query q = query(f);
    return leggi(q.sql, q.valori);
}

Caricamento leggi(const QString& sql, const QVariantList& valori)
{
    Caricamento out;
    Registro log;

    {
        QSqlQuery conta = Db::queryAvanti(
            QStringLiteral("SELECT COUNT(*) FROM (") + senzaOrdinamento(sql) + QLatin1Char(')'), valori);
        if (!conta.isActive() || !conta.next()) {
            log.errore(VbErr::DatabaseError, conta.lastError().text());
            out.aperto = false;
            return out;
        }
        out.totVoci = conta.value(0).toLongLong();
    }

    QSqlQuery q = Db::queryAvanti(sql, valori);
    if (!q.isActive()) {
        log.errore(VbErr::DatabaseError, q.lastError().text());
        out.aperto = false;
        out.totVoci = 0;
        return out;
    }
    const Indici ix(q.record());
    Reparti rep;
    Riempitore fill(log, rep, ix);
    out.righe.reserve(qMin<qint64>(out.totVoci, kMaxRighe));
    while (out.listate < kMaxRighe && q.next()) {
        // Only rows explicitly not deleted are listed; a Null flag counts as deleted.
        const QVariant el = ix.eliminato < 0 ? QVariant() : q.value(ix.eliminato);
        if (el.isNull() || Db::isTrue(el))
            continue;
        out.righe.append(fill.riga(q, out.valore));
        ++out.listate;
    }
    if (q.lastError().isValid())
        log.errore(VbErr::DatabaseError, q.lastError().text());
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

QList<RigaLista> eliminati()
{
    QList<RigaLista> out;
    const Letto<QList<ArticleSearch::Eliminato>> letti = ArticleSearch::eliminati();
    if (!letti.ok) {
        ScriviErrore(kModulo, QStringLiteral("Recupera_Click"), VbErr::DatabaseError, letti.errore);
        return out;
    }
    for (const ArticleSearch::Eliminato& e : *letti.valore) {
        RigaLista r(4);
        r.testo[0] = e.codice;
        r.testo[1] = e.descrizione;
        r.testo[2] = e.barCode;
        double d = 0;
        if (numero(e.costo, d) == Num::Ok)
            r.testo[3] = Vb::money(d);
        out << r;
    }
    return out;
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
