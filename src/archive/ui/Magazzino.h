#pragma once
// The article window, the program's hub: the article list with its search, filters and totals,
// the sold-quantity tab, and the frames and buttons from which the other subsystems' work starts.
// Buttons whose work belongs to other windows are public members, connected by their owners.
#include "archive/ui/ArticleList.h"
#include "core/ui/FormBase.h"
#include "editing/ui/ArchivioCallbacks.h"
#include "reglink/TransferPanel.h"

#include <QVariantList>
#include <array>
#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTimer;
class Magazzino;

class PromozioneFrame;
class ElencoArticoli;
class ScegliFont;

// The logically deleted articles, opened by "Eliminati": one can be listed again.
class frmEliminati : public FormBase
{
    Q_OBJECT
public:
    explicit frmEliminati(QWidget* parent = nullptr);
    ListaReport* lstEliminati = nullptr;
    QPushButton* cmdRipristina = nullptr;
    QPushButton* cmdChiudi = nullptr;

    void cmdRipristina_Click();
    // The list was read at the load; when not, the failure was told and the window must not open.
    bool letti() const { return m_letti; }

protected:
    void formLoad() override;
    void formUnload() override;

private:
    // False (told and logged, the list emptied) when the deleted articles could not be read.
    bool carica();
    bool m_letti = false;
};

class Magazzino : public FormBase
{
    Q_OBJECT
public:
    explicit Magazzino(QWidget* parent = nullptr);
    ~Magazzino() override;

    // --- lists
    ListaReport* ListMagazzino = nullptr;
    ListaReport* lstPLU = nullptr;
    ListaReport* lstOfferte = nullptr;

    // --- search box
    QGroupBox* Frame2 = nullptr;
    std::array<QRadioButton*, 5> optCerca{};
    QButtonGroup* grpCerca = nullptr;
    QLineEdit* Descrizione = nullptr;
    QComboBox* Genere = nullptr;
    QComboBox* Fornitore = nullptr;
    QPushButton* CmdCerca = nullptr;
    QPushButton* Command7 = nullptr;
    QLineEdit* txtRicBarCode = nullptr;

    // --- tabs and the sold-quantity view
    QTabBar* tbTAB = nullptr;
    QGroupBox* frVendPLU = nullptr;
    QDateEdit* dtGiornoRif = nullptr;
    QDateEdit* dtDataAl = nullptr;
    QPushButton* cmdTrova = nullptr;
    QGroupBox* frArticoliMov = nullptr;
    QLabel* lblTotMovimentati = nullptr;
    QPushButton* cmdStampaVPLU = nullptr;

    // --- totals
    QGroupBox* frTotaleArticoli = nullptr;
    QLabel* lblTotVociMaga = nullptr;
    QLabel* lblTotArt = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* totValore = nullptr;
    QLineEdit* TotRicorrenze = nullptr;

    // --- register link
    QGroupBox* frPLUQuidar = nullptr;
    QCheckBox* ckModificati = nullptr;
    std::array<QRadioButton*, 2> optTrasf{};
    QPushButton* cmdInviaPLU = nullptr;
    QPushButton* cmdRiceviPLU = nullptr;
    QProgressBar* pB1 = nullptr;
    QLabel* lblRecTot = nullptr;
    QLabel* lblRecAct = nullptr;
    QPushButton* cmdGeneraFile = nullptr;

    // --- promotions
    QGroupBox* frPromozione = nullptr;
    QLineEdit* MaskDal = nullptr;
    QLineEdit* MaskAl = nullptr;
    QLineEdit* txtSconto = nullptr;
    std::array<QRadioButton*, 2> optTipoSconto{};
    QLabel* Label5_2 = nullptr;
    QLineEdit* txtPrezzoScontato = nullptr;
    QLabel* lblMotivoPrezzo = nullptr; // why the price box holds no valid price
    QPushButton* cmdConfermaPromozione = nullptr;
    QPushButton* cmdAnnullaPromozione = nullptr;
    QGroupBox* frElencoPromozioni = nullptr;
    QPushButton* cmdEliminaOfferta = nullptr;
    QPushButton* cmdChiudiElencoOfferte = nullptr;
    QPushButton* cmdStampaElencoOfferte = nullptr;

    // --- status
    QLabel* lblTab = nullptr;

    // --- buttons
    QPushButton* Aggiungi = nullptr;
    QPushButton* Modifica = nullptr;
    QPushButton* Elimina = nullptr;
    QPushButton* Recupera = nullptr;
    QPushButton* Generi = nullptr;
    QPushButton* cmdAdeguaCodici = nullptr;
    QPushButton* cmdAggiornaQta = nullptr;
    QLineEdit* txtQtaPredef = nullptr;
    QCheckBox* ckPerFrontalini = nullptr;
    QPushButton* cmdSalva = nullptr;
    QPushButton* cmdCambiaDb = nullptr;
    QPushButton* cmdImporta = nullptr;
    QPushButton* cmdPromozioni = nullptr;
    QPushButton* cmdVediTutteLePromozioni = nullptr;
    QPushButton* cmdStampaMagazzino = nullptr;
    QPushButton* cmdStampaFrontalino = nullptr;
    // The exports' progress, shown while one runs: the bar and the count of rows.
    QProgressBar* pbEsporta = nullptr;
    QLabel* lblEsporta = nullptr;
    QPushButton* CmdUscita = nullptr;

    // --- timers
    QTimer* tmrCaricaPLU = nullptr;
    QTimer* tmrImporta = nullptr;

    // Fills ListMagazzino with the articles of `filtro`.
    // With `marca` every listed article gets its shelf-label mark (ImpostaTipoVariazione).
    void CaricaMagazzino(const ArticleList::Filtro& filtro, bool marca);
    void ImpostaTipoVariazione(const QString& codice, bool salta);

    // Search and reloads.
    void CmdCerca_Click();
    void RipetiRicerca();
    void tmrCaricaPLU_Timer();
    void Command7_Click();

    // Activation, also run after the switch to another database.
    void Form_Activate() { formActivate(); }
    void CaricaCboGeneri();
    void CaricaFornitori();
    void ImpostaColonnePLU();
    // Width in twips of lstPLU's "Descrizione" for a list `larghezza` twips wide.
    static int larghezzaDescrizionePLU(int larghezza);

    // List events.
    void ListMagazzino_ItemClick();
    void ListMagazzino_Click();
    void ListMagazzino_DblClick();
    void ListMagazzino_BeforeLabelEdit();

    void tbTAB_Click();
    void lblTab_DblClick();
    void Genere_Click();
    void CmdUscita_Click();
    void cmdTrova_Click();
    void Recupera_Click();
    void txtQtaPredef_MouseDown();

    // The focus rule: txtRicBarCode gets the focus only when visible and enabled.
    void focusRicBarCode();
    bool perFrontalini() const;
    // lblTab shown with `testo`: the register line's state during a transfer.
    void mostraLblTab(const QString& testo);

    // The window's controls as the register link sees them.
    PannelloTrasferimento& pannelloTrasferimento();
    // What the editing windows call back into (list reload, focus, the changed box).
    ArchivioCallbacks& archivioCallbacks();

Q_SIGNALS:
    // ckModificati changed, by the user or by the program (its click handler).
    void modificatiCambiato(bool spuntato);

protected:
    void formLoad() override;
    void formActivate() override;
    // Refused while a send or a reception runs: they work through this window's controls.
    bool formQueryUnload() override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void costruisci();
    QWidget* costruisciRicerca();
    QWidget* costruisciCasse();
    QWidget* costruisciPromozioni();
    QWidget* costruisciVenduto();
    QWidget* costruisciTotali();
    QWidget* costruisciPulsanti();
    void collega();
    // The editing subsystem's buttons: editor, departments, promotions, scanned barcodes.
    void collegaModifica();
    // The register link's send and receive controls.
    void collegaCasse();
    // Work of the other subsystems that the window's own events run.
    void avvisoPromozioni();                           // at load
    void caricaOffertaArticolo(const QString& codice); // list click, frPromozione visible
    void preparaPortaCassa();                          // at load: the main window's line
    // The data reports' and exports' print buttons.
    void collegaStampe();
    void cmdVediTutteLePromozioni_Click();
    // Fills lstOfferte; false, with the user told, when the promotions could not be read.
    bool VediTutteLePromozioni();
    void cmdEliminaOfferta_Click();
    void cmdChiudiElencoOfferte_Click();
    PromozioneFrame* m_promo = nullptr;
    std::unique_ptr<PannelloTrasferimento> m_pannello;
    std::unique_ptr<ArchivioCallbacks> m_archivio;
    // The label designer's font dialog: its last choice stays for the window's life.
    std::unique_ptr<ScegliFont> m_font;
    // What the import window reloads when it closes.
    std::unique_ptr<ElencoArticoli> m_elencoImporta;
    void applicaSfondo();
    void larghezzaColonnaDescrizione();
    void mostraVenduto();
    // The whole archive by description.
    void ricarica();
    // The last load of the list found the database held by another program.
    bool m_archivioInUso = false;
    // The reads the window repeats by itself (the list's reloads, the activation's combos): one
    // that fails keeps what the window showed and is told on the status line until it succeeds
    // again, logged once per spell. A message box would come back at every reload.
    enum class Lettura { Elenco, Reparti, Fornitori };
    void letturaFallita(Lettura l, const QString& proc, const QString& errore, bool inUso, const QString& avviso);
    void letturaRiuscita(Lettura l);
    std::array<QString, 3> m_avvisiLettura; // what each failing read tells; empty: it did not fail
    // At each tick of tmrImporta: the error-log lines waiting for room are written, or the last
    // one is shown on the status line meanwhile (m_avvisoRegistro: what it shows).
    void registroInAttesa();
    QString m_avvisoRegistro;
};
