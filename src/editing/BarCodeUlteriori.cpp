#include "editing/BarCodeUlteriori.h"

#include "core/Articoli.h"
#include "core/store/BarCodeUlteriori.h"

namespace BarCodeUlteriori {

Letto<QStringList> carica(const QString& codice)
{
    const std::optional<qint64> codiceArticolo = Articoli::codiceDaTesto(codice);
    if (!codiceArticolo)
        return Letto<QStringList>::fallito(codice);
    Letto<QStringList> l = Articoli::barCodeUlteriori(*codiceArticolo, kRighe);
    if (!l.ok)
        ScriviErrore(QStringLiteral("AggiungiMateriale"), QStringLiteral("CaricaBarCodeAlternativi"),
                     VbErr::DatabaseError, l.errore);
    return l;
}

Esito registra(const QString& codice, const QString& codPerTabProd, const QStringList& celle)
{
    if (codice.isEmpty())
        return Esito::riuscito();
    const std::optional<qint64> codiceArticolo = Articoli::codiceDaTesto(codice);
    if (!codiceArticolo)
        return Esito::fallito(VbErr::TypeMismatch, codice);
    QStringList barCodes;
    for (const QString& c : celle)
        if (!c.isEmpty())
            barCodes << c;
    const Esito e = Articoli::sostituisciBarCodeUlteriori(*codiceArticolo, codPerTabProd, barCodes);
    if (!e)
        ScriviErrore(QStringLiteral("AggiungiMateriale"), QStringLiteral("RegistraBarCodeAlternativi"), e);
    return e;
}

int aggiungi(QStringList& celle, const QString& code, const QString& barCodePrincipale)
{
    if (code == barCodePrincipale || code.isEmpty() || celle.contains(code))
        return -1;
    for (int i = 0; i < celle.size(); ++i) {
        if (celle.at(i).isEmpty()) {
            celle[i] = code;
            return i;
        }
    }
    if (celle.size() < kRighe) {
        celle << code;
        return int(celle.size()) - 1;
    }
    return -1;
}

} // namespace BarCodeUlteriori
