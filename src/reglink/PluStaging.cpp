#include "reglink/PluStaging.h"

#include "core/AppState.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/ui/Ui.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <vector>

namespace PluStaging {

namespace {

const QString kModulo = QStringLiteral("FUNZIONIQuidar");

struct Articolo
{
    qint64 cod = 0;
    QVariant descrizione;
    QVariant quantita;
    QVariant costo;
    QString unita;
    QVariant genere;
    QString barCode;
};

struct Offerta
{
    QString dal;
    QString al;
    QVariant prezzo;
};

QDate dataOfferta(const QString& s)
{
    const QDate iso = Vb::fromIso(s.left(10));
    return iso.isValid() ? iso : Vb::parseDate(s);
}

bool offertaValida(const Offerta& o, const QDate& oggi)
{
    const QDate dal = dataOfferta(o.dal);
    const QDate al = dataOfferta(o.al);
    return dal.isValid() && al.isValid() && dal <= oggi && oggi <= al;
}

// Staged rows go in by a hundred per statement: one bound INSERT per row costs more than the row.
class Inserimento
{
public:
    static constexpr int kRighe = 100;
    QString errore;

    bool aggiungi(const RigaStaging& r)
    {
        m_righe.push_back(r);
        return int(m_righe.size()) < kRighe || svuota();
    }

    bool svuota()
    {
        if (m_righe.empty())
            return true;
        const int n = int(m_righe.size());
        QSqlQuery parziale(Db::dbNegozio());
        QSqlQuery* q = &m_pieno;
        if (n < kRighe || !m_pronto) {
            q = n < kRighe ? &parziale : &m_pieno;
            if (!q->prepare(testo(n))) {
                errore = q->lastError().text();
                return false;
            }
            m_pronto = m_pronto || n == kRighe;
        }
        int i = 0;
        for (const RigaStaging& r : m_righe) {
            q->bindValue(i++, r.ordinale);
            q->bindValue(i++, r.descrizione);
            q->bindValue(i++, r.barCode);
            q->bindValue(i++, r.quantita);
            q->bindValue(i++, r.prezzo);
            q->bindValue(i++, r.repartoAss);
            q->bindValue(i++, r.codArtMagazzino);
            q->bindValue(i++, r.um);
            q->bindValue(i++, r.modificato ? 1 : 0);
        }
        m_righe.clear();
        if (!q->exec()) {
            errore = q->lastError().text();
            return false;
        }
        return true;
    }

private:
    static QString testo(int righe)
    {
        QString s = QStringLiteral("INSERT INTO MagazzinoPerQuidar (Ordinale, Descrizione, BarCode, Quantita, Prezzo, "
                                   "RepartoAss, CodArtMagazzino, UM, Modificato) VALUES ");
        for (int i = 0; i < righe; ++i)
            s += i ? QStringLiteral(", (?, ?, ?, ?, ?, ?, ?, ?, ?)") : QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?)");
        return s;
    }

    std::vector<RigaStaging> m_righe;
    QSqlQuery m_pieno{Db::dbNegozio()};
    bool m_pronto = false;
};

// A bound query read once from first to last row: forward-only, so no copy of the rows is kept.
QSqlQuery leggi(const QString& sql)
{
    QSqlQuery q(Db::dbNegozio());
    q.setForwardOnly(true);
    if (q.prepare(sql))
        q.exec();
    return q;
}

void logErrore(VbErr e, const QString& dettaglio)
{
    ScriviErrore(kModulo, QStringLiteral("PreparaTabxInvio"), e, dettaglio);
}

} // namespace

QString PulisciDescrizione(const QString& descrizione)
{
    // One pass: removals, "+" as MORE, "-" as LESS, "," as ".".
    QString d;
    d.reserve(descrizione.size() + 8);
    for (const QChar c : descrizione) {
        switch (c.unicode()) {
        case '/':
        case '\'':
        case '$':
        case '%':
        case '*':
        case '#':
        case '^':
        case 0x00B0:
            break;
        case '+':
            d += QLatin1String("MORE");
            break;
        case '-':
            d += QLatin1String("LESS");
            break;
        case ',':
            d += QLatin1Char('.');
            break;
        default:
            d += c;
        }
    }
    d = d.trimmed();
    if (d.size() > 20)
        d = d.left(20).trimmed();
    return d;
}

QString BarCodeDaInviare(const QString& barCode)
{
    if (barCode.startsWith(QLatin1Char('2')) && barCode.size() != 5)
        return barCode.mid(2, 5);
    return barCode;
}

QString FormattaQuantita(const QVariant& quantita)
{
    double q = quantita.isNull() ? 0 : quantita.toDouble();
    if (!(q > 0))
        q = 900;
    QString s = Vb::fixedPoint(q, 3);
    // "#####.000" writes no zero before the point.
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    return s;
}

QString FormattaPrezzo(const QVariant& prezzo)
{
    return Vb::fixedPoint(prezzo.isNull() ? 0.0 : prezzo.toDouble(), 2);
}

int CodiceRepartoDaDescrizione(const QString& descrizione)
{
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT Cod FROM Reparti WHERE Descrizione = ? ORDER BY rowid"), {descrizione});
    if (!q.isActive())
        return 0;
    if (!q.next())
        return 1;
    bool ok = false;
    const int cod = q.value(0).toInt(&ok);
    return ok ? cod : 0;
}

QString RecordPLU(const RigaStaging& r, bool flagPiruNEX)
{
    QString s;
    if (r.modificato)
        s = QStringLiteral("A/") + r.barCode;
    else
        s = QStringLiteral("P/") + QString::number(r.ordinale) + QLatin1Char('/') + r.barCode;
    s += QLatin1Char('/') + r.descrizione + QLatin1Char('/') + r.repartoAss + QStringLiteral("/0/") + r.prezzo +
         QStringLiteral("/150.00/") + r.quantita;
    if (!flagPiruNEX)
        s += QStringLiteral("/00010000/");
    else if (r.modificato)
        s += QStringLiteral("/10110000/0.00/0////");
    else
        s += QStringLiteral("/10110000/0.00/0/");
    return s;
}

EsitoPreparazione PreparaTabxInvio(bool soloModificati, const PannelloTrasferimento& p, const QDate& oggi)
{
    // Everything is read first: no cursor stays open while the staging table is written.
    std::vector<Articolo> articoli;
    {
        QSqlQuery q =
            leggi(soloModificati ? QStringLiteral("SELECT CodMateriale, Descrizione, \"Quantità\", Costo, UnitaMisura, "
                                                  "Genere, BarCode FROM Magazzino WHERE Modificato <> 0 "
                                                  "ORDER BY BarCode ASC")
                                 : QStringLiteral("SELECT CodMateriale, Descrizione, \"Quantità\", Costo, UnitaMisura, "
                                                  "Genere, BarCode FROM Magazzino ORDER BY BarCode ASC"));
        if (!q.isActive()) {
            logErrore(VbErr::DatabaseError, q.lastError().text());
            return EsitoPreparazione::Errore;
        }
        while (q.next()) {
            Articolo a;
            a.cod = q.value(0).toLongLong();
            a.descrizione = q.value(1);
            a.quantita = q.value(2);
            a.costo = q.value(3);
            a.unita = q.value(4).toString();
            a.genere = q.value(5);
            a.barCode = q.value(6).toString();
            articoli.push_back(std::move(a));
        }
    }
    if (articoli.empty())
        return EsitoPreparazione::Vuota;

    // The first promotion row of each article, and the extra barcodes in barcode order.
    QHash<qint64, Offerta> offerte;
    QHash<qint64, QStringList> ulteriori;
    {
        QSqlQuery q = leggi(QStringLiteral("SELECT Articolo, DataDAL, DataAL, PrzScnt FROM Offerte ORDER BY rowid"));
        if (!q.isActive()) {
            logErrore(VbErr::DatabaseError, q.lastError().text());
            return EsitoPreparazione::Errore;
        }
        while (q.next()) {
            const qint64 art = q.value(0).toLongLong();
            if (!offerte.contains(art))
                offerte.insert(art, Offerta{q.value(1).toString(), q.value(2).toString(), q.value(3)});
        }
        QSqlQuery b = leggi(QStringLiteral("SELECT CodProd, BarCode FROM BarCodeUlteriori WHERE BarCode IS NOT NULL "
                                           "ORDER BY CodProd, BarCode ASC"));
        if (!b.isActive()) {
            logErrore(VbErr::DatabaseError, b.lastError().text());
            return EsitoPreparazione::Errore;
        }
        while (b.next()) {
            const QString bc = b.value(1).toString();
            // An empty extra barcode would reach the register as a PLU without code.
            if (!bc.trimmed().isEmpty())
                ulteriori[b.value(0).toLongLong()] << bc;
        }
    }

    // In full-archive mode the numbers go to the register's PLU field: they must fit before
    // anything is touched. Changed articles are sent by barcode and their numbers stay here.
    qint64 righe = 0;
    for (const Articolo& a : articoli)
        if (!a.barCode.isEmpty())
            righe += 1 + ulteriori.value(a.cod).size();
    if (!soloModificati && righe > kMaxRighe) {
        const QString msg =
            QStringLiteral("TROPPI PLU DA INVIARE (%1)!!! - IL MASSIMO PER UN INVIO E' %2").arg(righe).arg(kMaxRighe);
        logErrore(VbErr::Overflow, msg);
        Msg::box(msg, QMessageBox::Ok, QMessageBox::Critical);
        return EsitoPreparazione::TroppeRighe;
    }

    Attesa(1500);
    Db::Transaction tr;
    if (!tr.ok() || !Db::exec(QStringLiteral("DELETE FROM MagazzinoPerQuidar"))) {
        logErrore(VbErr::DatabaseError, Db::dbNegozio().lastError().text());
        return EsitoPreparazione::Errore;
    }
    Inserimento ins;
    auto inserisci = [&ins](const RigaStaging& r) { return ins.aggiungi(r); };

    QHash<QString, QString> reparti; // Genere -> department sent, worked out once each
    const QString prefisso = Pannello::testoTab(p) + QStringLiteral(" - N. Plu: ");
    QElapsedTimer avanzamento;
    avanzamento.start();
    int numero = kPrimoOrdinale;
    int fatti = 0;
    for (const Articolo& a : articoli) {
        if (fatti == 0 || avanzamento.elapsed() >= 100) {
            Pannello::setTestoTab(p, prefisso + QString::number(numero));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            avanzamento.restart();
        }
        ++fatti;
        if (a.barCode.isEmpty())
            continue;

        RigaStaging r;
        r.modificato = soloModificati;
        r.ordinale = numero;
        if (a.descrizione.isNull())
            logErrore(VbErr::InvalidUseOfNull, QStringLiteral("Descrizione, articolo %1").arg(a.cod));
        else
            r.descrizione = PulisciDescrizione(a.descrizione.toString());
        r.codArtMagazzino = QString::number(a.cod);
        r.um = a.unita.isEmpty() ? QStringLiteral("Pz") : a.unita;
        r.barCode = BarCodeDaInviare(a.barCode);
        r.quantita = FormattaQuantita(a.quantita);

        QVariant prezzo = a.costo;
        const auto off = offerte.constFind(a.cod);
        if (off != offerte.constEnd() && offertaValida(*off, oggi))
            prezzo = off->prezzo;
        r.prezzo = FormattaPrezzo(prezzo);

        if (a.genere.isNull()) {
            logErrore(VbErr::InvalidUseOfNull, QStringLiteral("Genere, articolo %1").arg(a.cod));
            r.repartoAss = QStringLiteral("1");
        } else {
            const QString genere = a.genere.toString();
            auto it = reparti.constFind(genere);
            if (it == reparti.constEnd()) {
                QString rep;
                if (Vb::isNumeric(genere)) {
                    rep = genere.trimmed();
                    rep.replace(QLatin1Char(','), QLatin1Char('.'));
                } else {
                    rep = QString::number(CodiceRepartoDaDescrizione(genere));
                }
                it = reparti.insert(genere, rep);
            }
            r.repartoAss = *it;
        }

        if (!inserisci(r)) {
            logErrore(VbErr::DatabaseError, ins.errore);
            return EsitoPreparazione::Errore;
        }
        for (const QString& extra : ulteriori.value(a.cod)) {
            RigaStaging e = r;
            e.ordinale = ++numero;
            e.barCode = extra;
            if (!inserisci(e)) {
                logErrore(VbErr::DatabaseError, ins.errore);
                return EsitoPreparazione::Errore;
            }
        }
        ++numero;
    }
    if (!ins.svuota()) {
        logErrore(VbErr::DatabaseError, ins.errore);
        return EsitoPreparazione::Errore;
    }
    if (!tr.commit()) {
        logErrore(VbErr::DatabaseError, Db::dbNegozio().lastError().text());
        return EsitoPreparazione::Errore;
    }
    return EsitoPreparazione::Preparata;
}

QString percorsoFilePLU(const QString& suffisso)
{
    return Paths::inProgramFolder(QStringLiteral("FilePLU") + suffisso + QStringLiteral(".txt"));
}

EsitoFile ScriviFilePLU(const QString& suffisso, const PannelloTrasferimento& p)
{
    const QString path = percorsoFilePLU(suffisso);
    if (QFile::exists(path) && !QFile::remove(path)) {
        ScriviErrore(kModulo, QStringLiteral("ScriviFilePLU"), VbErr::PermissionDenied, path);
        return EsitoFile::Errore;
    }
    QSqlQuery q = leggi(QStringLiteral("SELECT Ordinale, Descrizione, BarCode, Quantita, Prezzo, RepartoAss, "
                                       "Modificato FROM MagazzinoPerQuidar ORDER BY BarCode ASC, rowid ASC"));
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("ScriviFilePLU"), VbErr::DatabaseError, q.lastError().text());
        return EsitoFile::Errore;
    }
    const bool flag = app().flagPiruNEX;
    QString testo;
    int righe = 0;
    while (q.next()) {
        RigaStaging r;
        r.ordinale = q.value(0).toInt();
        QString d = q.value(1).toString();
        d.remove(QLatin1Char('/'));
        d.remove(QLatin1Char('\''));
        d.replace(QLatin1Char(','), QLatin1Char('.'));
        r.descrizione = d.left(20);
        r.barCode = q.value(2).toString();
        r.quantita = q.value(3).toString();
        r.prezzo = q.value(4).toString();
        r.repartoAss = q.value(5).toString();
        r.modificato = Db::isTrue(q.value(6));
        testo += RecordPLU(r, flag);
        testo += QLatin1String("\r\n");
        ++righe;
    }
    q.finish();
    if (righe == 0) {
        Pannello::avviso(p, QStringLiteral("Nessun Articolo da inviare!!!"));
        return EsitoFile::Vuoto;
    }
    Pannello::setRecTot(p, QString::number(righe));
    if (!TextFile::writeAtomically(path, TextFile::encode(testo))) {
        ScriviErrore(kModulo, QStringLiteral("ScriviFilePLU"), VbErr::PermissionDenied, path);
        return EsitoFile::Errore;
    }
    return EsitoFile::Scritto;
}

} // namespace PluStaging
