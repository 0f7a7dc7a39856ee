#include "reglink/ErrorTable.h"

namespace RegLink {

namespace {

const ErroreCassa kTabella[kNumeroErroriCassa] = {
    {1, "Campi del comando insufficienti", 2},
    {2, "Presente campo/i comando in eccesso o troppo lungo", 2},
    {3, "Un campo del comando e' troppo corto", 2},
    {4, "Controllare i campi del comando", 2},
    {5, "Controllare i campi del comando", 2},
    {6, "Comando non supportato", 2},
    {7, "Il PLU non esiste", 2},
    {8, "Il reparto non esiste", 2},
    {9, "Aliquota IVA errata, controllare corrispondenza IVA-Reparto", 2},
    {10, "Numero operatore inesistente", 2},
    {11, "Password operatore errata", 2},
    {12, "Pagamento inesistente", 2},
    {13, "The requested Fiscal record doesn’t exist", 2},
    {14, "The requested Fiscal record type doesn’t exist", 2},
    {15, "Printing type error", 2},
    {16, "Giornata aperta, effettuare azzeramento Z1", 2},
    {17, "Disconnect Jumpers first", 2},
    {18, "Data-Ora errata", 2},
    {19, "CAN NOT PERFORM SALES", 2},
    {20, "Scontrino fiscale aperto, chiudere scontrino.", 2},
    {21, "Pagamento non valido", 2},
    {22, "Entrate - Prelievi in corso", 2},
    {23, "Aliquota IVA errata, controllare corrispondenza IVA-Reparto", 2},
    {24, "Errore prezzo", 2},
    {25, "Protocollo ONLINE attivo", 2},
    {26, "Stampante Busy, reinviare il comando", 1},
    {27, "Operazione di vendita non valida", 2},
    {28, "Sconto - Aumento non valido", 2},
    {29, "Raggiunto limite massimo Programmazione Intestazioni scontrino", 9},
    {30, "Un report utente e' aperto", 2},
    {31, "Un report utente e' aperto", 2},
    {32, "The Fiscal Memory has no transactions", 2},
    {33, "Numero Sconto-Aumento non valido", 2},
    {34, "Raggiunto limite massimo PLU registrabili", 2},
    {35, "Errore nell'invio dei dati BMP", 2},
    {36, "The BMP index number doesn’t exist", 2},
    {37, "Numero categoria inesistente", 2},
    {38, "Printer ID index error", 2},
    {39, "Error printing type", 2},
    {40, "Unit ID index error", 2},
    {41, "Impossibile effettuare ulteriori vendite", 2},
    {42, "Errore tastiera - Tastiera scollegata", 9},
    {43, "Problema batteria tampone", 9},
    {44, "Carta finita", 4},
    {45, "Errore taglierina", 9},
    {46, "Stampante scollegata", 9},
    {47, "Stampante surriscaldata", 9},
    {48, "Memoria fiscale scollegata", 9},
    {49, "Fatal error", 9},
    {50, "Jumpers ancora inseriti. Rimuovere jumpers", 9},
    {51, "Portello rotolo aperto", 4},
    {52, "Raggiunto limite massimo aliquote IVA programmabili", 9},
    {53, "No More Lines", 2},
    {54, "Tastiera errata", 2},
    {55, "No Ticket Discount", 2},
    {56, "Not Supported", 2},
    {57, "Access not allowed for current clerk", 2},
    {58, "Wrong Baud Rate", 2},
    {59, "PLU Inattivo", 2},
    {60, "Giornale elettronico pieno", 9},
    {61, "Valore troppo grande", 2},
    {62, "Invalid add/delete parameter", 2},
    {63, "Dipartimento Inattivo", 2},
    {64, "Cannot open Drawer.", 2},
    {65, "There is not an open receipt.", 2},
    {66, "Error in SD reports.", 2},
    {67, "Discount/Markup limit is exceeded.", 2},
    {68, "Zero Discount/Markup.", 2},
    {69, "Description is blank.", 2},
    {70, "Wrong Key code.", 2},
    {71, "Client index error", 0},
    {72, "Wrong Client code.", 2},
    {73, "Out of limits bonus.", 2},
    {74, "Wrong Promotion link index.", 2},
    {75, "WORD NOT ALLOWED (TOTALE)", 2},
    {76, "Error in barcode data.", 2},
    {77, "Change is not allowed for this Payment type.", 2},
    {78, "Must insert the payment amount.", 2},
    {79, "Same Header lines.", 2},
    {80, "In Error Message.", 2},
    {81, "Not found SD data.", 2},
    {82, "There is no more data to read from SD.", 2},
    {83, "Set the limit to read SD data.", 2},
    {84, "Totale dello scontrino negativo", 2},
    {85, "Receipt sales amount exceeded.", 2},
    {86, "Daily sales amount exceeded.", 2},
    {87, "La SD è PIENA!!!", 9},
    {88, "La SD è USATA!!!", 9},
    {89, "Superati i limiti della SD!!!", 9},
};

} // namespace

const ErroreCassa* TabellaErroriCassa(int numero)
{
    if (numero < 1 || numero > kNumeroErroriCassa)
        return nullptr;
    return &kTabella[numero - 1];
}

int DescrizioneErrore(QString& numero, QString& descrizione)
{
    descrizione.clear();
    QString campo = numero.trimmed();
    if (campo.isEmpty())
        campo = QStringLiteral("0");
    bool ok = false;
    const qlonglong n = campo.toLongLong(&ok, 16);
    if (!ok || n < 0) {
        numero.clear();
        return 0;
    }
    numero = QString::number(n);
    const ErroreCassa* riga = TabellaErroriCassa(n > kNumeroErroriCassa ? 0 : int(n));
    if (!riga)
        return 0;
    descrizione = QString::fromUtf8(riga->messaggio);
    return riga->azione;
}

} // namespace RegLink
