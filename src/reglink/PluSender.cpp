#include "reglink/PluSender.h"

#include "core/Articoli.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Progress.h"
#include "core/Wait.h"
#include "core/store/Invio.h"
#include "reglink/Collegamento.h"
#include "reglink/CommandSender.h"
#include "reglink/PluStaging.h"

#include <QSqlError>
#include <QSqlQuery>

namespace PluSender {

namespace {

const QString kModulo = QStringLiteral("Magazzino");

// Restores what the send changed, whichever way it ends.
class Ripristino
{
public:
    explicit Ripristino(PannelloTrasferimento& p) : m_p(p)
    {
        app().invioInCorso = true;
        m_timer = m_p.importaAttivo();
        m_p.setImportaAttivo(false);
        Pannello::cursoreAttesa(m_p, true);
    }
    ~Ripristino()
    {
        Pannello::cursoreAttesa(m_p, false);
        m_p.setImportaAttivo(m_timer);
        app().invioInCorso = false;
    }
    Ripristino(const Ripristino&) = delete;
    Ripristino& operator=(const Ripristino&) = delete;

private:
    PannelloTrasferimento& m_p;
    bool m_timer = false;
};

void svuotaTab(PannelloTrasferimento& p)
{
    Pannello::setTestoTab(p, QString());
    Pannello::mostraTab(p, false);
}

void cassaNonServita(const CassaDaServire& c)
{
    if (c.numero == 1 && c.rete) {
        Contesto::interazione().ask(
            QStringLiteral("INVIO CASSA 1 NON EFFETTUATO!!! - PROBLEMI DI COMUNICAZIONE - VERIFICARE: CAVO/INDIRIZZO "
                           "IP/CASSA/RETE"),
            Interaction::Ok, Interaction::Icon::Critical);
        return;
    }
    Contesto::interazione().ask(
        QStringLiteral("INVIO CASSA %1 NON EFFETTUATO!!! - PROBLEMI DI COMUNICAZIONE - VERIFICARE: CAVO/PortaCOM/CASSA")
            .arg(c.numero),
        Interaction::Ok, c.numero == 1 ? Interaction::Icon::Critical : Interaction::Icon::None);
}

// Clears the marks but those of the articles behind the refused lines. When those articles cannot
// be found every mark stays: the next send repeats a few articles rather than lose one.
Esito azzeraTranneRifiutati(const QStringList& rifiutate)
{
    const Letto<QStringList> daTenere = articoliDelleRighe(rifiutate);
    if (!daTenere.ok) {
        const Esito e = Esito::fallito(VbErr::DatabaseError, daTenere.errore);
        ScriviErrore(kModulo, QStringLiteral("AzzeraModificati"), e);
        return e;
    }
    return AzzeraModificati(*daTenere.valore);
}

} // namespace

QList<CassaDaServire> casseConfigurate(const ImpostazioniRegCassa& rc, const QString& portaETH1)
{
    QList<CassaDaServire> out;
    if (!rc.portaCOM.isEmpty()) {
        out << CassaDaServire{1, rc.portaCOM, rc.portaCOM, false};
    } else if (!portaETH1.isEmpty()) {
        QString suffisso = portaETH1;
        suffisso.remove(QLatin1Char('.'));
        out << CassaDaServire{1, suffisso, portaETH1, true};
    }
    if (!rc.portaCOM1.isEmpty())
        out << CassaDaServire{2, rc.portaCOM1, rc.portaCOM1, false};
    if (!rc.portaCOM2.isEmpty())
        out << CassaDaServire{3, rc.portaCOM2, rc.portaCOM2, false};
    return out;
}

Segni regolaSegni(const ImpostazioniRegCassa& rc, int servite)
{
    const bool c1 = !rc.portaCOM.isEmpty(), c2 = !rc.portaCOM1.isEmpty(), c3 = !rc.portaCOM2.isEmpty();
    if (c1 && !c2 && !c3)
        return servite == 1 ? Segni::Chiedi : Segni::Mantieni;
    if (c1 && c2 && !c3)
        return servite == 2 ? Segni::Azzera : Segni::Mantieni;
    if (c1 && c2 && c3)
        return servite == 3 ? Segni::Azzera : Segni::Mantieni;
    return Segni::Mantieni;
}

Esito AzzeraModificati(const QStringList& daTenere)
{
    Esito esito;
    {
        Db::Transaction tr;
        esito = tr.ok() ? Articoli::azzeraModificati() : Esito::fallito(VbErr::DatabaseError, tr.errore());
        for (const QString& codice : daTenere) {
            if (!esito)
                break;
            esito = Articoli::marcaModificato(codice.toLongLong());
        }
        if (esito && !tr.commit())
            esito = Esito::fallito(VbErr::DatabaseError, tr.errore());
    }
    if (!esito) {
        ScriviErrore(kModulo, QStringLiteral("AzzeraModificati"), esito);
        return esito;
    }
    Attesa(1200, InputUtente::Trattenuto);
    return esito;
}

Letto<QStringList> articoliDelleRighe(const QStringList& righe)
{
    QStringList codici;
    for (const QString& riga : righe) {
        const QStringList f = riga.split(QLatin1Char('/'));
        const QString tipo = f.value(0).trimmed();
        const QString barCode = tipo == QLatin1String("P")   ? f.value(2)
                                : tipo == QLatin1String("A") ? f.value(1)
                                                             : QString();
        if (barCode.isEmpty())
            continue;
        QSqlQuery q = Db::query(
            QStringLiteral("SELECT DISTINCT CodArtMagazzino FROM MagazzinoPerQuidar WHERE BarCode = ?"), {barCode});
        if (!q.isActive())
            return Letto<QStringList>::fallito(q.lastError().text());
        while (q.next()) {
            const QString c = q.value(0).toString();
            if (!c.isEmpty() && !codici.contains(c))
                codici << c;
        }
        if (q.lastError().isValid())
            return Letto<QStringList>::fallito(q.lastError().text());
    }
    return Letto<QStringList>::trovato(codici);
}

MittenteCassa::MittenteCassa(PannelloTrasferimento& p) : m_p(p) {}

RegLink::EsitoComandi MittenteCassa::invia(const QString& file, const QString& porta)
{
    // lblRecAct counts the lines sent.
    class Righe final : public ProgressSink
    {
    public:
        explicit Righe(PannelloTrasferimento& p) : m_p(p) {}
        void setRange(int, int) override {}
        void setValue(int v) override { m_p.setRecAct(QString::number(v)); }
        void setStatus(const QString&) override {}

    private:
        PannelloTrasferimento& m_p;
    } righe(m_p);
    return RegLink::EsameComandiEsito(file, porta, righe, m_p);
}

void inviaAlleCasse(PannelloTrasferimento& p, Mittente& mittente)
{
    AppState& a = app();
    // One transfer at a time: a second press during a send or a reception does nothing.
    if (a.invioInCorso || a.ricezioneInCorso)
        return;
    Ripristino ripristino(p);

    const bool solo = p.soloModificati();
    if (!solo && !Contesto::interazione().yesNo(QStringLiteral("Sicuro di dover inviare tutto l'archivio alla cassa?")))
        return;

    Pannello::setTestoTab(p, QStringLiteral("PREPARAZIONE DATI PER INVIO SULLE CASSE"));
    Pannello::mostraTab(p, true);
    LasciaScorrereEventi(InputUtente::SoloControlliVivi);
    RegLink::risposte().contatoreApertura = 0;

    switch (PluStaging::PreparaTabxInvio(solo, p)) {
    case PluStaging::EsitoPreparazione::Preparata:
        break;
    case PluStaging::EsitoPreparazione::Vuota:
        Contesto::interazione().ask(QStringLiteral("Nessun dato da inviare"), Interaction::Ok,
                                    Interaction::Icon::Information);
        LasciaScorrereEventi(InputUtente::SoloControlliVivi);
        svuotaTab(p);
        return;
    case PluStaging::EsitoPreparazione::TroppeRighe:
        svuotaTab(p);
        return;
    case PluStaging::EsitoPreparazione::Errore:
        svuotaTab(p);
        Contesto::interazione().ask(
            QStringLiteral("PROCEDURA INTERROTTA!!! - PROBLEMI DI ACCESSO ALLA TABELLA DEGLI ARTICOLI"),
            Interaction::Ok, Interaction::Icon::Critical);
        return;
    }
    LasciaScorrereEventi(InputUtente::SoloControlliVivi);
    svuotaTab(p);

    // Settings are taken once: the settings window may change them while we wait.
    const ImpostazioniRegCassa rc = a.impostazioniRegCassa;
    int servite = 0;
    QStringList rifiutate; // lines a register refused: their articles keep their marks
    for (const CassaDaServire& c : casseConfigurate(rc, a.portaETH1)) {
        const PluStaging::EsitoFile f = PluStaging::ScriviFilePLU(c.suffisso, p);
        if (f == PluStaging::EsitoFile::Vuoto)
            continue; // "Nessun Articolo da inviare!!!" said it; there is nothing to send
        if (f == PluStaging::EsitoFile::Errore) {
            cassaNonServita(c);
            continue;
        }
        Attesa(500, InputUtente::SoloControlliVivi);
        const RegLink::EsitoComandi esito = mittente.invia(PluStaging::percorsoFilePLU(c.suffisso), c.porta);
        rifiutate << esito.rifiutate;
        if (esito.esito) {
            ++servite;
            Pannello::avviso(p, QStringLiteral("INVIO CASSA %1 TERMINATO").arg(c.numero));
        } else {
            cassaNonServita(c);
        }
    }

    Esito azzerati;
    switch (regolaSegni(rc, servite)) {
    case Segni::Mantieni:
        break;
    case Segni::Chiedi:
        if (Contesto::interazione().ask(QStringLiteral("DEVI INVIARE SU ALTRA POSTAZIONE ?"),
                                        Interaction::Yes | Interaction::No, Interaction::Icon::Question,
                                        Interaction::NoButton, QStringLiteral("Tavrino")) == Interaction::No)
            azzerati = azzeraTranneRifiutati(rifiutate);
        break;
    case Segni::Azzera:
        azzerati = azzeraTranneRifiutati(rifiutate);
        break;
    }

    Pannello::cursoreAttesa(p, false);
    QString fine = QStringLiteral("PROCEDURA DI INVIO TERMINATA");
    if (!azzerati) {
        // The registers have the articles; only the marks could not be cleared.
        const QString motivo = Db::motivoPerUtente(azzerati);
        if (!motivo.isEmpty())
            fine += QStringLiteral("\r\n\r\n") + motivo;
        fine += QStringLiteral("\r\n\r\nI segni di PLU modificato non sono stati tolti: gli articoli inviati "
                               "restano segnati e saranno inviati di nuovo con i PLU modificati");
    }
    Pannello::avviso(p, fine);
    LasciaScorrereEventi(InputUtente::SoloControlliVivi);
    svuotaTab(p);
    LasciaScorrereEventi(InputUtente::SoloControlliVivi);
}

void cambiaSoloModificati(PannelloTrasferimento& p)
{
    const bool spuntato = p.soloModificati();
    if (!spuntato) {
        if (Contesto::interazione().ask(QStringLiteral("TOGLIERE IL FLAG DI MODIFICATO A TUTTI I RECORD INTERESSATI?"),
                                        Interaction::Yes | Interaction::No, Interaction::Icon::Question,
                                        Interaction::No) == Interaction::Yes) {
            const Esito e = Articoli::azzeraModificati();
            if (!e) {
                ScriviErrore(kModulo, QStringLiteral("ckModificati_Click"), e);
                return;
            }
            AttesaSenzaInput(1000);
            p.ripetiRicerca();
            return;
        }
        // Ticking the box again runs this handler once more, which selects the option.
        p.setSoloModificati(true);
    }
    p.selezionaTrasf(1);
}

} // namespace PluSender
