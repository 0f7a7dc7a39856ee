#pragma once
// Promotions (Offerte): an article's discounted price for a period (stored in Offerte, core/store/Offerte.h),
// the list of them, the promotional price arithmetic and the start and end notice.
#include "core/ErrorLog.h"
#include "core/Read.h"
#include "core/store/Offerte.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace Offerte {

using Offerta = Articoli::Offerta;

// The article's first promotion by DataDAL; a failed query is reported, never "no promotion".
Letto<Offerta> caricaOfferta(const QString& codice);

// Replaces the promotion of the same article and period and marks the article, all or nothing.
// A period without both dates is refused.
Esito salva(const Offerta& o);

// Removes each promotion, its period alone, and marks its article, all or nothing.
Esito elimina(const QList<Offerta>& offerte);

// One row of lstOfferte: the promotion and its texts "Cod" (the running number), "CodArt",
// "Descrizione", "DAL", "AL", "Sconto Valore", "Sconto Percentuale", "Prezzo Scontato".
struct RigaOfferta
{
    Offerta offerta;
    QStringList testo;
};
// The rows of lstOfferte from `dal` on, by DataDAL. A failed read, of the promotions or of an
// article, is logged and returned as a failure: the list never shows "NON TROVATO" for it.
Letto<QList<RigaOfferta>> elenco(const QDate& dal);

// The checks of a promotion's period on the texts of its two date boxes, in this order: both
// empty, a date that is not one, one box empty, the end before the start, a start before `oggi`.
// A masked box left blank (only its separators) is empty.
struct Periodo
{
    enum Esito { Ok, Mancante, NonValida, Invertita, Passata };
    enum Casella { Nessuna, Dal, Al };
    Esito esito = Ok;
    Casella casella = Nessuna; // the box the refusal is about
    QString messaggio;
    QDate dal, al; // when Ok
};
Periodo verificaPeriodo(const QString& dal, const QString& al, const QDate& oggi);

// The promotional price text for a price and a discount; `azzeraSconto` when it came out below 0.
struct PrezzoScontato
{
    QString prezzo;
    bool azzeraSconto = false;
};
std::optional<PrezzoScontato> prezzoScontato(double prezzo, const QString& sconto, bool percento);
// The euro discount from a typed promotional price, two decimals.
std::optional<QString> scontoDaPrezzo(double prezzo, const QString& prezzoPromo);

// 0 none, 1 some start today, 2 some end today, 3 both.
int codiceAvviso(const QDate& oggi);
// [Promozioni] AvvisoAttivo, written "Falso" when missing or empty.
bool avvisoAttivo();
// The notice text and font size of a code; empty for 0.
QString testoAvviso(int codice, int* puntiFont = nullptr);

} // namespace Offerte
