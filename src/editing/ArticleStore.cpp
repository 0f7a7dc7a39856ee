#include "editing/ArticleStore.h"

#include "core/AppState.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/KeyFilter.h"
#include "core/VbConvert.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace ArticleStore {

namespace {

const QString kModulo = QStringLiteral("AggiungiMateriale");

QString testo(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

// Prices show two decimals; a stored value with more keeps them, so nothing is rounded unasked.
QString prezzo(const QVariant& v)
{
    if (v.isNull())
        return {};
    const double x = v.toDouble();
    return Vb::roundHalfAway(x, 2) == x ? Vb::money(x) : Vb::cstr(x);
}

QString numero(const QVariant& v)
{
    return v.isNull() ? QString() : Vb::cstr(v.toDouble());
}

std::optional<qint64> codiceNumerico(const QString& codice)
{
    bool ok = false;
    const qint64 n = codice.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

QString leggiConfig(const QString& key)
{
    const QString setup = app().percorsoSetup;
    QString v = LeggiINI(setup, QStringLiteral("Config"), key, QStringLiteral("?"));
    if (v == QLatin1String("?")) {
        ScriviINI(setup, QStringLiteral("Config"), key, QStringLiteral("Falso"));
        v = QStringLiteral("Falso");
    }
    return v;
}

bool leggiFlag(const QString& key)
{
    return !iniIsFalso(leggiConfig(key));
}

// The stock a register's quantity field takes.
constexpr double kQuantitaMassima = 99999999.0;

} // namespace

std::optional<QString> nuovoCodice()
{
    bool ok = false;
    const QVariant v =
        Db::scalar(QStringLiteral("SELECT MAX(CAST(CodMateriale AS INTEGER)) AS CodMat FROM Magazzino"), {}, &ok);
    if (!ok)
        return std::nullopt;
    if (v.isNull())
        return QStringLiteral("1");
    return QString::number(v.toLongLong() + 1);
}

std::optional<ArticoloEditor> carica(const QString& codice)
{
    const auto n = codiceNumerico(codice);
    if (!n)
        return std::nullopt;
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT Descrizione, \"Quantità\", CodPV, UnitaMisura, Costo, Taglia, Colore, "
                                 "BarCode, CodProdottoFornitore, Genere, Fornitore, Costo2, TipoMateriale "
                                 "FROM Magazzino WHERE CodMateriale = ?"),
                  {*n});
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("PreparaPerModifica"), VbErr::DatabaseError, q.lastError().text());
        return std::nullopt;
    }
    if (!q.next())
        return std::nullopt;
    ArticoloEditor a;
    a.descrizione = testo(q.value(0));
    a.quantita = numero(q.value(1));
    a.iva = q.value(2).isNull() ? QStringLiteral("0") : numero(q.value(2));
    a.unita = testo(q.value(3));
    a.costo = prezzo(q.value(4));
    a.taglia = testo(q.value(5));
    a.colore = testo(q.value(6));
    a.barCode = testo(q.value(7));
    a.codFornitore = testo(q.value(8));
    a.genere = testo(q.value(9));
    a.fornitore = testo(q.value(10));
    a.acquisto = prezzo(q.value(11));
    a.pesoConf = testo(q.value(12));
    return a;
}

Verifica verifica(const ArticoloEditor& a, const QString& codiceModifica)
{
    const struct
    {
        const QString* testo;
        Campo campo;
    } richiesti[] = {{&a.descrizione, Campo::Desc}, {&a.quantita, Campo::Qta},   {&a.acquisto, Campo::Acquisto},
                     {&a.unita, Campo::Um},         {&a.reparto, Campo::Genere}, {&a.fornitore, Campo::Fornitore},
                     {&a.costo, Campo::Costo}};
    for (const auto& r : richiesti)
        if (r.testo->isEmpty())
            return {Verifica::CampoVuoto, r.campo, {}};

    const struct
    {
        const QString* testo;
        Campo campo;
        const char* etichetta;
    } numeri[] = {{&a.quantita, Campo::Qta, "Q.tà Iniziale"},
                  {&a.acquisto, Campo::Acquisto, "Prezzo di Acquisto senza IVA"},
                  {&a.costo, Campo::Costo, "Prezzo di Vendita"},
                  {&a.iva, Campo::Iva, "IVA"}};
    for (const auto& n : numeri) {
        if (n.campo == Campo::Iva && n.testo->isEmpty())
            continue; // an empty VAT keeps the stored one
        // What the key filters would have refused (a pasted sign or exponent) is refused here too.
        // The stock alone may be below zero: the registers' sales can take it there.
        const bool sottoZero = n.campo == Campo::Qta && n.testo->startsWith(QLatin1Char('-'));
        auto v = numeroDaTastiera(sottoZero ? n.testo->mid(1) : *n.testo);
        if (v && sottoZero)
            v = -*v;
        if (!v)
            return {Verifica::NonNumerico, n.campo,
                    QStringLiteral("Formato '%1' non valido").arg(QString::fromUtf8(n.etichetta))};
        const bool prezzo = n.campo == Campo::Acquisto || n.campo == Campo::Costo;
        if (prezzo && *v > kPrezzoMassimoCassa)
            return {Verifica::NonNumerico, n.campo,
                    QStringLiteral("'%1' troppo alto: il massimo accettato dalle casse è %2")
                        .arg(QString::fromUtf8(n.etichetta), Vb::money(kPrezzoMassimoCassa))};
        if (n.campo == Campo::Iva && *v > 100)
            return {Verifica::NonNumerico, n.campo, QStringLiteral("'IVA' non valida: al massimo 100")};
        if (n.campo == Campo::Qta && std::abs(*v) > kQuantitaMassima)
            return {Verifica::NonNumerico, n.campo,
                    QStringLiteral("'Q.tà Iniziale' troppo alta: al massimo %1").arg(Vb::money(kQuantitaMassima))};
    }

    // Only a new article may not take a barcode already in the archive: an edited one keeps
    // (or takes) it even when another article shares it.
    if (codiceModifica.isEmpty() && !a.barCode.isEmpty()) {
        bool ok = false;
        const QVariant altro =
            Db::scalar(QStringLiteral("SELECT COUNT(*) FROM Magazzino WHERE BarCode = ?"), {a.barCode}, &ok);
        if (!ok) {
            ScriviErrore(kModulo, QStringLiteral("ControlloCampi"), VbErr::DatabaseError, a.barCode);
            return {Verifica::Errore, Campo::Nessuno, {}};
        }
        if (altro.toLongLong() > 0)
            return {Verifica::BarCodeDoppio, Campo::Nessuno,
                    QStringLiteral("Attenzione codice a barre già presente - Verificare - Impossibile procedere")};
    }

    if (verificaCodiceFornitore() && a.codFornitore.isEmpty())
        return {Verifica::ChiediCodFornitore, Campo::CodFornitore,
                QStringLiteral("Codice Articolo del fornitore non inserito - Proseguire cmq?")};
    return {};
}

bool verificaCodiceFornitore()
{
    // Only "VERO" (any case) asks; any other value, like the "Falso" written when missing, does not.
    return leggiConfig(QStringLiteral("VerificaCodiceFornitore")).toUpper() == QLatin1String("VERO");
}
bool salvaRepartoComeCodice()
{
    return leggiFlag(QStringLiteral("SalvaRepartoComeCODICE"));
}

Esito salva(const ArticoloEditor& a, const QString& codiceModifica, QString* codiceOut)
{
    const auto fail = [](VbErr e, const QString& detail) {
        ScriviErrore(kModulo, QStringLiteral("SalvaDatiMateriale"), e, detail);
        return Esito::fallito(e, detail);
    };
    const auto qta = Vb::cdbl(a.quantita);
    const auto costo = Vb::cdbl(a.costo);
    const auto acquisto = Vb::cdbl(a.acquisto);
    const auto iva = Vb::cdbl(a.iva);
    if (!qta || !costo || !acquisto || (!a.iva.isEmpty() && !iva))
        return fail(VbErr::TypeMismatch, a.descrizione);

    const int cancelletto = a.reparto.indexOf(QLatin1Char('#'));
    const QString prima = cancelletto < 0 ? a.reparto : a.reparto.left(cancelletto);
    const QString dopo = cancelletto < 0 ? QString() : a.reparto.mid(cancelletto + 1);
    const QString genere = salvaRepartoComeCodice() ? prima : dopo;

    Db::Transaction t;
    if (!t.ok())
        return fail(VbErr::DatabaseError, QStringLiteral("transaction"));
    QString codice = codiceModifica;
    QVariantList v;
    if (codice.isEmpty()) {
        const auto nuovo = nuovoCodice();
        if (!nuovo)
            return fail(VbErr::DatabaseError, QStringLiteral("CodMat"));
        codice = *nuovo;
    }
    const auto n = codiceNumerico(codice);
    if (!n)
        return fail(VbErr::TypeMismatch, codice);
    v << QVariant(a.descrizione) << *qta << *costo << a.unita << QVariant(0) << genere << a.fornitore.toUpper()
      << a.taglia << a.colore << a.pesoConf << a.barCode << *acquisto << a.codFornitore;

    QString err;
    bool ok = false;
    if (codiceModifica.isEmpty()) {
        v.prepend(*n);
        v << (iva ? QVariant(*iva) : QVariant());
        ok =
            Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, \"Quantità\", Costo, "
                                    "UnitaMisura, Minimo, Genere, Fornitore, Eliminato, Taglia, Colore, TipoMateriale, "
                                    "BarCode, Costo2, CodProdottoFornitore, CodPV, Modificato, TipoVariazione) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?, ?, ?, ?, ?, ?, 1, 'F')"),
                     v, &err);
    } else {
        const QString set = QStringLiteral("UPDATE Magazzino SET Descrizione = ?, \"Quantità\" = ?, Costo = ?, "
                                           "UnitaMisura = ?, Minimo = ?, Genere = ?, Fornitore = ?, Eliminato = 0, "
                                           "Taglia = ?, Colore = ?, TipoMateriale = ?, BarCode = ?, Costo2 = ?, "
                                           "CodProdottoFornitore = ?, Modificato = 1, TipoVariazione = 'F'");
        if (iva) {
            v << *iva << *n;
            ok = Db::exec(set + QStringLiteral(", CodPV = ? WHERE CodMateriale = ?"), v, &err);
        } else {
            v << *n;
            ok = Db::exec(set + QStringLiteral(" WHERE CodMateriale = ?"), v, &err);
        }
        // The row must still be there: a vanished article is a failed save, not a silent one.
        if (ok && Db::scalar(QStringLiteral("SELECT changes()")).toInt() != 1) {
            ok = false;
            err = QStringLiteral("CodMateriale %1 non trovato").arg(codice);
        }
    }
    if (!ok)
        return fail(VbErr::DatabaseError, err);
    if (!t.commit())
        return fail(VbErr::DatabaseError, QStringLiteral("commit"));
    if (codiceOut)
        *codiceOut = codice;
    return Esito::riuscito();
}

Esito elimina(const QString& codice)
{
    const auto n = codiceNumerico(codice);
    if (!n)
        return Esito::fallito(VbErr::TypeMismatch, codice);
    Db::Transaction t;
    QString err;
    const bool ok = t.ok() && Db::exec(QStringLiteral("DELETE FROM Magazzino WHERE CodMateriale = ?"), {*n}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM BarCodeUlteriori WHERE CodProd = ?"), {*n}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM Offerte WHERE Articolo = ?"), {*n}, &err) && t.commit();
    if (!ok) {
        ScriviErrore(QStringLiteral("Magazzino"), QStringLiteral("Modifica_Click"), VbErr::DatabaseError, err);
        return Esito::fallito(VbErr::DatabaseError, err);
    }
    return Esito::riuscito();
}

QStringList unitaMisura()
{
    const QString setup = app().percorsoSetup;
    const QString sec = QStringLiteral("UnitaMisura");
    static const char* const predefinite[] = {"Bot", "Pz", "Kg", "gr", "Lt", "Fogli", "Spicchi"};
    for (int i = 0; i < 7; ++i) {
        const QString key = QStringLiteral("Unita%1").arg(i + 1);
        if (LeggiINI(setup, sec, key, QStringLiteral("?")) == QLatin1String("?"))
            ScriviINI(setup, sec, key, QString::fromLatin1(predefinite[i]));
    }
    QStringList out{QString()};
    for (int i = 1; i <= 25; ++i) {
        const QString v = LeggiINI(setup, sec, QStringLiteral("Unita%1").arg(i), QStringLiteral("?"));
        if (v == QLatin1String("?"))
            break;
        out << v;
    }
    return out;
}

QStringList generi()
{
    QStringList out;
    QSqlQuery q = Db::query(QStringLiteral("SELECT Cod, Descrizione FROM Reparti ORDER BY Cod"));
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("CaricaGeneri"), VbErr::DatabaseError, q.lastError().text());
        return out;
    }
    while (q.next())
        out << q.value(0).toString() + QLatin1Char('#') + testo(q.value(1));
    return out;
}

QStringList fornitori()
{
    QStringList out;
    QSqlQuery q = Db::query(
        QStringLiteral("SELECT DISTINCT Fornitore FROM Magazzino WHERE Fornitore <> '' AND Fornitore IS NOT NULL"));
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("CaricaFornitori"), VbErr::DatabaseError, q.lastError().text());
        return out;
    }
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QString pulisciDescrizione(const QString& s)
{
    QString r = s;
    for (const QChar c : {u'$', u'%', u'*', u'#', u'^', u'°'})
        r.remove(c);
    r.replace(QLatin1Char(','), QLatin1Char('.'));
    for (const QChar c : {u'/', u'\\', u'\''})
        r.replace(c, QLatin1Char(' '));
    // Only blanks are trimmed, as the old Trim did.
    qsizetype b = 0, e = r.size();
    while (b < e && r.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && r.at(e - 1) == QLatin1Char(' '))
        --e;
    return r.mid(b, e - b);
}

int filtroDecimale(int k, const QString& current)
{
    if ((k >= '0' && k <= '9') || k == 8)
        return k;
    const bool virgolaAmmessa = !current.isEmpty() && !current.contains(QLatin1Char(','));
    if (k == '.' || k == ',')
        return virgolaAmmessa ? ',' : 0;
    return 0;
}

} // namespace ArticleStore
