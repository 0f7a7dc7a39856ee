#include "core/store/Invio.h"

#include "core/ArticoliRiga.h"
#include "core/Database.h"
#include "core/store/Istruzione.h"

#include <QSqlError>
#include <algorithm>

namespace Articoli {

namespace {

double numero(const QVariant& v)
{
    return v.isNull() ? 0.0 : v.toDouble();
}

} // namespace

Letto<std::vector<ArticoloInvio>> articoliDaInviare(bool soloModificati)
{
    using L = Letto<std::vector<ArticoloInvio>>;
    std::vector<ArticoloInvio> articoli;
    // Room for the whole archive at once: growing by steps moves every article held so far.
    // A failed count only leaves the room to grow: the read below reports the failure.
    const Letto<QVariant> quanti = Db::valore(QStringLiteral("SELECT COUNT(*) FROM Magazzino"));
    if (quanti.trovatoValore())
        articoli.reserve(size_t(std::max(0LL, quanti.valore->toLongLong())));
    // Read through the connection's own statement: staging reads the whole archive, and Qt's
    // handing over of each value cost more than SQLite's read.
    Db::Istruzione q;
    if (!q.prepara(soloModificati ? QStringLiteral("SELECT CodMateriale, Descrizione, \"Quantità\", Costo, "
                                                   "UnitaMisura, Genere, BarCode FROM Magazzino WHERE Modificato <> 0 "
                                                   "ORDER BY BarCode ASC")
                                  : QStringLiteral("SELECT CodMateriale, Descrizione, \"Quantità\", Costo, "
                                                   "UnitaMisura, Genere, BarCode FROM Magazzino ORDER BY BarCode ASC")))
        return L::fallito(q.errore().text());
    Db::Istruzione::Passo passo;
    while ((passo = q.passo()) == Db::Istruzione::Passo::Riga) {
        ArticoloInvio a;
        a.cod = q.valore(0).toLongLong();
        a.descrizioneNulla = q.nullo(1);
        a.descrizione = q.testo(1);
        a.quantita = numero(q.valore(2));
        a.costo = numero(q.valore(3));
        a.unita = q.testo(4);
        a.genereNullo = q.nullo(5);
        a.genere = q.testo(5);
        a.barCode = q.testo(6);
        articoli.push_back(std::move(a));
    }
    // A read that stopped halfway is no list of the articles to send.
    if (passo == Db::Istruzione::Passo::Errore)
        return L::fallito(q.errore().text());
    return L::trovato(std::move(articoli));
}

Letto<QHash<qint64, OffertaInvio>> primeOfferte()
{
    using L = Letto<QHash<qint64, OffertaInvio>>;
    QSqlQuery q =
        Db::queryAvanti(QStringLiteral("SELECT Articolo, DataDAL, DataAL, PrzScnt FROM Offerte ORDER BY rowid"));
    if (!q.isActive())
        return L::fallito(q.lastError().text());
    QHash<qint64, OffertaInvio> offerte;
    while (q.next()) {
        const qint64 art = q.value(0).toLongLong();
        if (!offerte.contains(art))
            offerte.insert(art, OffertaInvio{q.value(1).toString(), q.value(2).toString(), numero(q.value(3))});
    }
    return L::trovato(std::move(offerte));
}

Letto<QHash<qint64, QStringList>> barCodeUlterioriDaInviare()
{
    using L = Letto<QHash<qint64, QStringList>>;
    QSqlQuery q =
        Db::queryAvanti(QStringLiteral("SELECT CodProd, BarCode FROM BarCodeUlteriori WHERE BarCode IS NOT NULL "
                                       "ORDER BY CodProd, BarCode ASC"));
    if (!q.isActive())
        return L::fallito(q.lastError().text());
    QHash<qint64, QStringList> ulteriori;
    while (q.next()) {
        const QString bc = q.value(1).toString();
        if (!bc.trimmed().isEmpty())
            ulteriori[q.value(0).toLongLong()] << bc;
    }
    return L::trovato(std::move(ulteriori));
}

Esito azzeraModificati()
{
    return Riga::esegui(QStringLiteral("UPDATE Magazzino SET Modificato = 0"));
}

Letto<std::vector<RepartoInvio>> repartiDaInviare()
{
    using L = Letto<std::vector<RepartoInvio>>;
    QSqlQuery q = Db::query(
        QStringLiteral("SELECT Cod, Descrizione, Iva, PrezzoPrefissato, Sconto FROM Reparti ORDER BY Cod ASC"));
    if (!q.isActive())
        return L::fallito(q.lastError().text());
    std::vector<RepartoInvio> out;
    while (q.next())
        out.push_back(RepartoInvio{q.value(0).toInt(), q.value(1).toString(), q.value(2).toDouble(),
                                   q.value(3).toDouble(), q.value(4)});
    return L::trovato(std::move(out));
}

Letto<QStringList> barCodePerRicezione()
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT BarCode FROM Magazzino ORDER BY CAST(CodMateriale AS TEXT) ASC"));
    if (!q.isActive())
        return Letto<QStringList>::fallito(q.lastError().text());
    QStringList codici;
    while (q.next())
        codici << q.value(0).toString();
    return Letto<QStringList>::trovato(codici);
}

} // namespace Articoli
