#include "archive/StockOperations.h"

#include "core/Articoli.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/store/OperazioniMagazzino.h"

#include <QFile>
#include <QSqlError>

namespace StockOperations {

QString filePLUDoppio()
{
    return Paths::inProgramFolder(QStringLiteral("1-PLUDoppio.txt"));
}

std::optional<double> quantitaPredefinita(const QString& testo)
{
    if (testo.isEmpty() || testo == QLatin1String("0") || Vb::val(testo) > 99999)
        return std::nullopt;
    // The text reaches the database only as the number it reads as ("1/0" is no number).
    const std::optional<double> v = Vb::cdbl(testo);
    if (!v || *v > 99999)
        return std::nullopt;
    return v;
}

Esito aggiornaQuantita(double quantita)
{
    return Articoli::impostaQuantitaTutti(quantita);
}

Letto<bool> VerificaBarCodeDoppio(const QString& barCode, QStringList* doppi)
{
    const Letto<Articolo> a = Articoli::perBarCode(barCode);
    if (!a.ok)
        return Letto<bool>::fallito(a.errore);
    if (!a.valore)
        return Letto<bool>::trovato(false);
    if (doppi)
        doppi->append(a.valore->barCode + QStringLiteral(" - ") + a.valore->descrizione);
    return Letto<bool>::trovato(true);
}

EsitoAdeguamento adeguaCodici()
{
    EsitoAdeguamento r;
    const Letto<QList<Articoli::CodiceDaEstendere>> letti = Articoli::codiciDaEstendere();
    if (!letti.ok) {
        r.esito = Esito::fallito(VbErr::DatabaseError, letti.errore);
        return r;
    }
    const QList<Articoli::CodiceDaEstendere>& candidati = *letti.valore;
    r.candidati = int(candidati.size());
    if (candidati.isEmpty())
        return r;

    const QString doppio = filePLUDoppio();
    if (QFile::exists(doppio) && !QFile::remove(doppio)) {
        r.esito = Esito::fallito(VbErr::PermissionDenied, doppio);
        return r;
    }
    AttesaSenzaInput(500);

    for (const Articoli::CodiceDaEstendere& c : candidati) {
        const QString codTesto = QString::number(c.cod);
        Db::Transaction tr;
        if (!tr.ok()) {
            r.esito = Esito::fallito(VbErr::DatabaseError, tr.errore());
            return r;
        }
        QStringList righeDoppie;
        int estesi = 0;
        int copie = 0;
        for (int d = 0; d <= 9; ++d) {
            const QString nuovo = c.barCode + QString::number(d);
            const Letto<bool> doppio = VerificaBarCodeDoppio(nuovo, &righeDoppie);
            if (!doppio.ok) {
                r.esito = Esito::fallito(VbErr::DatabaseError, doppio.errore);
                return r;
            }
            if (*doppio.valore)
                continue;
            if (d == 0) {
                const Esito e = Articoli::estendiBarCode(c.cod, nuovo, codTesto);
                if (!e) {
                    r.esito = e;
                    return r;
                }
                ++estesi;
            } else {
                // The copy takes the next code at its own insertion, as a new article does; it
                // carries the description, stock, prices, unit, department and supplier only.
                const Letto<Articolo> fonte = Articoli::perCodice(c.cod);
                if (!fonte.ok) {
                    r.esito = Esito::fallito(VbErr::DatabaseError, fonte.errore);
                    return r;
                }
                if (fonte.valore) {
                    const Articolo& o = *fonte.valore;
                    Articolo copia;
                    copia.descrizione = o.descrizione;
                    copia.quantita = o.quantita;
                    copia.costo = o.costo;
                    copia.unitaMisura = o.unitaMisura;
                    copia.minimo = o.minimo;
                    copia.genere = o.genere;
                    copia.fornitore = o.fornitore;
                    copia.eliminato = o.eliminato;
                    copia.note = codTesto;
                    copia.codPV = o.codPV;
                    copia.costo2 = o.costo2;
                    copia.periodoRiordino = o.periodoRiordino;
                    copia.barCode = nuovo;
                    const Esito e = Articoli::inserisci(copia);
                    if (!e) {
                        r.esito = e;
                        return r;
                    }
                }
                ++copie;
            }
        }
        // The duplicate lines go out before the commit: a candidate is done only with both.
        for (const QString& riga : std::as_const(righeDoppie)) {
            if (Esito motivo; !TextFile::appendLine(doppio, riga, &motivo)) {
                r.esito = motivo;
                return r;
            }
        }
        if (!tr.commit()) {
            r.esito = Esito::fallito(VbErr::DatabaseError, tr.errore());
            return r;
        }
        r.doppi += righeDoppie;
        r.estesi += estesi;
        r.copie += copie;
        ++r.completati;
    }
    return r;
}

Esito azzeraFrontalini()
{
    return Articoli::azzeraFrontalini();
}

Esito eliminaArticolo(const QString& codMateriale)
{
    if (codMateriale.trimmed().isEmpty())
        return Esito::fallito(VbErr::InvalidUseOfNull);
    // A later article given the same code must not inherit extra barcodes or promotions.
    const std::optional<qint64> n = Articoli::codiceDaTesto(codMateriale);
    return n ? Articoli::elimina(*n) : Esito::riuscito(); // a code that is not a number matches no row
}

Letto<QString> descrizioneArticolo(const QString& codMateriale)
{
    const std::optional<qint64> n = Articoli::codiceDaTesto(codMateriale);
    const Letto<Articolo> a = n ? Articoli::perCodice(*n) : Letto<Articolo>::assente();
    if (!a.ok)
        return Letto<QString>::fallito(a.errore);
    if (!a.valore)
        return Letto<QString>::assente();
    return Letto<QString>::trovato(a.valore->descrizione.isNull() ? QStringLiteral(" ") : a.valore->descrizione);
}

int filtraTastoQuantita(int keyAscii, const QString& testoAttuale)
{
    const bool virgolaVietata = testoAttuale.isEmpty() || testoAttuale.contains(QLatin1Char(','));
    if (keyAscii >= 47 && keyAscii <= 57)
        return keyAscii;
    if (keyAscii == 46)
        return virgolaVietata ? 0 : 44;
    if (keyAscii == 44)
        return virgolaVietata ? 0 : 44;
    if (keyAscii == 8)
        return 8;
    return 0;
}

} // namespace StockOperations
