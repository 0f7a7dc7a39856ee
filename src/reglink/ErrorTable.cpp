#include "reglink/ErrorTable.h"

namespace RegLink {

namespace {

using enum AzioneErrore;

const ErroreCassa kTabella[kNumeroErroriCassa] = {
    {1, "Campi del comando insufficienti", Ignora},
    {2, "Presente campo/i comando in eccesso o troppo lungo", Ignora},
    {3, "Un campo del comando e' troppo corto", Ignora},
    {4, "Controllare i campi del comando", Ignora},
    {5, "Controllare i campi del comando", Ignora},
    {6, "Comando non supportato", Ignora},
    {7, "Il PLU non esiste", Ignora},
    {8, "Il reparto non esiste", Ignora},
    {9, "Aliquota IVA errata, controllare corrispondenza IVA-Reparto", Ignora},
    {10, "Numero operatore inesistente", Ignora},
    {11, "Password operatore errata", Ignora},
    {12, "Pagamento inesistente", Ignora},
    {13, "The requested Fiscal record doesn’t exist", Ignora},
    {14, "The requested Fiscal record type doesn’t exist", Ignora},
    {15, "Printing type error", Ignora},
    {16, "Giornata aperta, effettuare azzeramento Z1", Ignora},
    {17, "Disconnect Jumpers first", Ignora},
    {18, "Data-Ora errata", Ignora},
    {19, "CAN NOT PERFORM SALES", Ignora},
    {20, "Scontrino fiscale aperto, chiudere scontrino.", Ignora},
    {21, "Pagamento non valido", Ignora},
    {22, "Entrate - Prelievi in corso", Ignora},
    {23, "Aliquota IVA errata, controllare corrispondenza IVA-Reparto", Ignora},
    {24, "Errore prezzo", Ignora},
    {25, "Protocollo ONLINE attivo", Ignora},
    {26, "Stampante Busy, reinviare il comando", Ripeti},
    {27, "Operazione di vendita non valida", Ignora},
    {28, "Sconto - Aumento non valido", Ignora},
    {29, "Raggiunto limite massimo Programmazione Intestazioni scontrino", ErroreGrave},
    {30, "Un report utente e' aperto", Ignora},
    {31, "Un report utente e' aperto", Ignora},
    {32, "The Fiscal Memory has no transactions", Ignora},
    {33, "Numero Sconto-Aumento non valido", Ignora},
    {34, "Raggiunto limite massimo PLU registrabili", Ignora},
    {35, "Errore nell'invio dei dati BMP", Ignora},
    {36, "The BMP index number doesn’t exist", Ignora},
    {37, "Numero categoria inesistente", Ignora},
    {38, "Printer ID index error", Ignora},
    {39, "Error printing type", Ignora},
    {40, "Unit ID index error", Ignora},
    {41, "Impossibile effettuare ulteriori vendite", Ignora},
    {42, "Errore tastiera - Tastiera scollegata", ErroreGrave},
    {43, "Problema batteria tampone", ErroreGrave},
    {44, "Carta finita", MostraERinvia},
    {45, "Errore taglierina", ErroreGrave},
    {46, "Stampante scollegata", ErroreGrave},
    {47, "Stampante surriscaldata", ErroreGrave},
    {48, "Memoria fiscale scollegata", ErroreGrave},
    {49, "Fatal error", ErroreGrave},
    {50, "Jumpers ancora inseriti. Rimuovere jumpers", ErroreGrave},
    {51, "Portello rotolo aperto", MostraERinvia},
    {52, "Raggiunto limite massimo aliquote IVA programmabili", ErroreGrave},
    {53, "No More Lines", Ignora},
    {54, "Tastiera errata", Ignora},
    {55, "No Ticket Discount", Ignora},
    {56, "Not Supported", Ignora},
    {57, "Access not allowed for current clerk", Ignora},
    {58, "Wrong Baud Rate", Ignora},
    {59, "PLU Inattivo", Ignora},
    {60, "Giornale elettronico pieno", ErroreGrave},
    {61, "Valore troppo grande", Ignora},
    {62, "Invalid add/delete parameter", Ignora},
    {63, "Dipartimento Inattivo", Ignora},
    {64, "Cannot open Drawer.", Ignora},
    {65, "There is not an open receipt.", Ignora},
    {66, "Error in SD reports.", Ignora},
    {67, "Discount/Markup limit is exceeded.", Ignora},
    {68, "Zero Discount/Markup.", Ignora},
    {69, "Description is blank.", Ignora},
    {70, "Wrong Key code.", Ignora},
    {71, "Client index error", Prosegui},
    {72, "Wrong Client code.", Ignora},
    {73, "Out of limits bonus.", Ignora},
    {74, "Wrong Promotion link index.", Ignora},
    {75, "WORD NOT ALLOWED (TOTALE)", Ignora},
    {76, "Error in barcode data.", Ignora},
    {77, "Change is not allowed for this Payment type.", Ignora},
    {78, "Must insert the payment amount.", Ignora},
    {79, "Same Header lines.", Ignora},
    {80, "In Error Message.", Ignora},
    {81, "Not found SD data.", Ignora},
    {82, "There is no more data to read from SD.", Ignora},
    {83, "Set the limit to read SD data.", Ignora},
    {84, "Totale dello scontrino negativo", Ignora},
    {85, "Receipt sales amount exceeded.", Ignora},
    {86, "Daily sales amount exceeded.", Ignora},
    {87, "La SD è PIENA!!!", ErroreGrave},
    {88, "La SD è USATA!!!", ErroreGrave},
    {89, "Superati i limiti della SD!!!", ErroreGrave},
};

} // namespace

const ErroreCassa* TabellaErroriCassa(int numero)
{
    if (numero < 1 || numero > kNumeroErroriCassa)
        return nullptr;
    return &kTabella[numero - 1];
}

QString testoAzione(AzioneErrore a)
{
    return QString::number(static_cast<int>(a));
}

AzioneErrore DescrizioneErrore(QString& numero, QString& descrizione)
{
    descrizione.clear();
    QString campo = numero.trimmed();
    if (campo.isEmpty())
        campo = QStringLiteral("0");
    bool ok = false;
    const qlonglong n = campo.toLongLong(&ok, 16);
    if (!ok || n < 0) {
        numero.clear();
        return AzioneErrore::Prosegui;
    }
    numero = QString::number(n);
    const ErroreCassa* riga = TabellaErroriCassa(n > kNumeroErroriCassa ? 0 : int(n));
    if (!riga)
        return AzioneErrore::Prosegui;
    descrizione = QString::fromUtf8(riga->messaggio);
    return riga->azione;
}

} // namespace RegLink
