#include "archive/ui/Magazzino.h"

#include "archive/ArticleSearch.h"
#include "archive/SoldQuantities.h"
#include "archive/ui/Clessidra.h"
#include "archive/ui/DataBackup.h"
#include "archive/ui/MagazzinoEtichette.h"
#include "archive/ui/StockOperations.h"
#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Settings.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Ui.h"
#include "core/ui/frmTastiera.h"
#include "import/Importazioni.h"
#include "import/ui/InPollTimer.h"
#include "import/ui/frmImporta.h"
#include "labels/ui/frmConfiguraLabel.h"
#include "reglink/TransferPanel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// What "&Importa da FileDati" reloads when the import window unloads: the whole list.
class ElencoDaRicaricare final : public ElencoArticoli
{
public:
    explicit ElencoDaRicaricare(Magazzino& w) : m_w(w) {}
    void ricarica() override { m_w.CaricaMagazzino(ArticleList::Filtro::perDescrizione(), false); }

private:
    Magazzino& m_w;
};

// "&Importa da FileDati".
void cmdImporta_Click(ElencoArticoli& elenco)
{
    ImportaDaFileDati(Contesto::interazione(), elenco);
}

const QString kModulo = QStringLiteral("Magazzino");

QPushButton* pulsante(QWidget* parent, const QString& name, const QString& caption)
{
    auto* b = named(new QPushButton(caption, parent), name);
    b->setMinimumHeight(26);
    b->setAutoDefault(false);
    return b;
}

QLabel* etichetta(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

QLabel* valore(QWidget* parent, const QString& name, const QString& label)
{
    auto* l = named(new QLabel(QStringLiteral("0"), parent), name, label);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 1);
    l->setFont(f);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(60);
    return l;
}

// A bare strip holding a row or column of frames: its layout `L` has no margins of its own.
template <class L> L* striscia(QWidget* parent, QWidget*& box)
{
    box = new QWidget(parent);
    auto* l = new L(box);
    l->setContentsMargins(0, 0, 0, 0);
    return l;
}

// A named frame `frame` with its own layout `L`.
template <class L> L* riquadro(QGroupBox*& frame, QWidget* parent, const QString& caption, const QString& name)
{
    frame = named(new QGroupBox(caption, parent), name);
    return new L(frame);
}

} // namespace

Magazzino::Magazzino(QWidget* parent)
    : FormBase(parent), m_font(std::make_unique<DialogoFont>()),
      m_elencoImporta(std::make_unique<ElencoDaRicaricare>(*this))
{
    setObjectName(QStringLiteral("Magazzino"));
    setWindowTitle(app().testoStato.isEmpty() ? app().titoloProgramma : app().testoStato);
    costruisci();
    collega();
}

Magazzino::~Magazzino() = default;

// ---------------------------------------------------------------------------------------------
// Controls

void Magazzino::costruisci()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    root->setSpacing(4);

    // Laid out for a 1024x768 screen: "Chiudi" sits top right, beside the register frame.
    auto* top = new QHBoxLayout;
    top->addWidget(costruisciRicerca(), 3);
    top->addWidget(costruisciCasse(), 1);
    CmdUscita = pulsante(this, QStringLiteral("CmdUscita"), QStringLiteral("C&hiudi"));
    CmdUscita->setMinimumSize(110, 60);
    top->addWidget(CmdUscita, 0, Qt::AlignTop);
    root->addLayout(top);

    tbTAB = named(new QTabBar(this), QStringLiteral("tbTAB"), QStringLiteral("Schede"));
    tbTAB->addTab(QStringLiteral("Elenco Prodotti"));
    tbTAB->addTab(QStringLiteral("PLU Venduti"));
    tbTAB->setExpanding(false);
    tbTAB->setDrawBase(false);
    root->addWidget(tbTAB);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(6);
    auto* lists = new QVBoxLayout;
    lists->setSpacing(0);
    ListMagazzino = named(new ListaReport(this), QStringLiteral("ListMagazzino"), QStringLiteral("Elenco Prodotti"));
    ListMagazzino->lista()->setIntestazioni(ArticleList::intestazioni());
    ListMagazzino->lista()->setColonneNumeriche({ArticleList::colCod, ArticleList::colQta, ArticleList::colMin,
                                                 ArticleList::colPrezzoV, ArticleList::colPrezzoA, ArticleList::colIva,
                                                 ArticleList::colRicarico});
    static const int larghezze[ArticleList::kColonne] = {60, 280, 120, 70, 60, 45, 75, 130, 100,
                                                         80, 95,  115, 75, 75, 90, 45, 75,  65};
    for (int i = 0; i < ArticleList::kColonne; ++i)
        ListMagazzino->setColumnWidth(i, larghezze[i]);
    lists->addWidget(ListMagazzino, 1);
    lists->addWidget(costruisciVenduto(), 1);
    middle->addLayout(lists, 1);
    middle->addWidget(costruisciPromozioni());
    root->addLayout(middle, 1);

    root->addWidget(costruisciTotali());
    root->addWidget(costruisciPulsanti());

    tmrCaricaPLU = new QTimer(this);
    tmrCaricaPLU->setObjectName(QStringLiteral("tmrCaricaPLU"));
    tmrCaricaPLU->setSingleShot(true);
    tmrCaricaPLU->setInterval(qMax(1, app().wait.ms(120)));
    tmrImporta = new QTimer(this);
    tmrImporta->setObjectName(QStringLiteral("tmrImporta"));
    tmrImporta->setInterval(1800);
}

QWidget* Magazzino::costruisciRicerca()
{
    auto* g = riquadro<QGridLayout>(Frame2, this, QStringLiteral("Ricerca"), QStringLiteral("Frame2"));
    g->setHorizontalSpacing(8);

    static const char* captions[5] = {"Descr.", "BC", "CodFornit.", "Prz. 0", "Qta <= 0"};
    grpCerca = new QButtonGroup(this);
    auto* opts = new QHBoxLayout;
    opts->addWidget(new QLabel(QStringLiteral("Cerca per:"), Frame2));
    for (int i = 0; i < 5; ++i) {
        optCerca[i] =
            named(new QRadioButton(QString::fromUtf8(captions[i]), Frame2), QStringLiteral("optCerca_%1").arg(i));
        grpCerca->addButton(optCerca[i], i);
        opts->addWidget(optCerca[i]);
    }
    opts->addStretch(1);
    g->addLayout(opts, 0, 0, 1, 6);

    Descrizione = named(new QLineEdit(Frame2), QStringLiteral("Descrizione"), QStringLiteral("Testo da cercare"));
    Descrizione->setClearButtonEnabled(true);
    Descrizione->setMinimumWidth(160);
    Genere = named(new QComboBox(Frame2), QStringLiteral("Genere"), QStringLiteral("Reparto"));
    Genere->setMinimumWidth(120);
    Fornitore = named(new QComboBox(Frame2), QStringLiteral("Fornitore"), QStringLiteral("Fornitore"));
    Fornitore->setMinimumWidth(120);
    CmdCerca = pulsante(Frame2, QStringLiteral("CmdCerca"), QStringLiteral("&Cerca"));
    Command7 = pulsante(Frame2, QStringLiteral("Command7"), QStringLiteral("&Tutti"));
    g->addWidget(etichetta(QStringLiteral("Testo:"), Descrizione, Frame2), 1, 0);
    g->addWidget(Descrizione, 1, 1, 1, 3);
    g->addWidget(CmdCerca, 1, 4);
    g->addWidget(Command7, 1, 5);
    auto* filtri = new QHBoxLayout;
    filtri->addWidget(etichetta(QStringLiteral("Reparto"), Genere, Frame2));
    filtri->addWidget(Genere, 1);
    filtri->addWidget(etichetta(QStringLiteral("Fornitore"), Fornitore, Frame2));
    filtri->addWidget(Fornitore, 1);
    g->addLayout(filtri, 3, 0, 1, 6);

    txtRicBarCode = named(new QLineEdit(Frame2), QStringLiteral("txtRicBarCode"), QStringLiteral("Lettura BarCode"));
    QFont f = txtRicBarCode->font();
    f.setPointSize(f.pointSize() + 4);
    f.setBold(true);
    txtRicBarCode->setFont(f);
    txtRicBarCode->setPlaceholderText(QStringLiteral("Passare il lettore sul codice a barre..."));
    g->addWidget(etichetta(QStringLiteral("BarCode:"), txtRicBarCode, Frame2), 2, 0);
    g->addWidget(txtRicBarCode, 2, 1, 1, 5);
    g->setColumnStretch(1, 2);
    g->setColumnStretch(3, 1);
    return Frame2;
}

QWidget* Magazzino::costruisciCasse()
{
    auto* g = riquadro<QGridLayout>(frPLUQuidar, this, QStringLiteral("Casse"), QStringLiteral("frPLUQuidar"));
    ckModificati =
        named(new QCheckBox(QStringLiteral("Invio PLU Modificati"), frPLUQuidar), QStringLiteral("ckModificati"));
    auto* grp = new QButtonGroup(this);
    optTrasf[0] =
        named(new QRadioButton(QStringLiteral("x INVIO Intero Archivio"), frPLUQuidar), QStringLiteral("optTrasf_0"));
    optTrasf[1] =
        named(new QRadioButton(QStringLiteral("x INVIO PLU Modificati"), frPLUQuidar), QStringLiteral("optTrasf_1"));
    grp->addButton(optTrasf[0], 0);
    grp->addButton(optTrasf[1], 1);
    cmdInviaPLU = pulsante(frPLUQuidar, QStringLiteral("cmdInviaPLU"), QStringLiteral("Invia PLU  >>>"));
    cmdRiceviPLU = pulsante(frPLUQuidar, QStringLiteral("cmdRiceviPLU"), QStringLiteral("Leggi PLU  <<<"));
    pB1 = named(new QProgressBar(frPLUQuidar), QStringLiteral("pB1"), QStringLiteral("Avanzamento"));
    pB1->setTextVisible(false);
    pB1->setMaximumHeight(14);
    lblRecTot = named(new QLabel(frPLUQuidar), QStringLiteral("lblRecTot"), QStringLiteral("Record totali"));
    lblRecAct = named(new QLabel(frPLUQuidar), QStringLiteral("lblRecAct"), QStringLiteral("Record attuale"));
    g->addWidget(ckModificati, 0, 0, 1, 2);
    g->addWidget(optTrasf[0], 1, 0, 1, 2);
    g->addWidget(optTrasf[1], 2, 0, 1, 2);
    g->addWidget(cmdInviaPLU, 3, 0);
    g->addWidget(cmdRiceviPLU, 3, 1);
    auto* avanzamento = new QHBoxLayout;
    avanzamento->addWidget(lblRecAct);
    avanzamento->addWidget(pB1, 1);
    avanzamento->addWidget(lblRecTot);
    g->addLayout(avanzamento, 4, 0, 1, 2);
    return frPLUQuidar;
}

QWidget* Magazzino::costruisciPromozioni()
{
    QWidget* box = nullptr;
    auto* v = striscia<QVBoxLayout>(this, box);

    auto* g = riquadro<QGridLayout>(frPromozione, box, QStringLiteral("Promozione"), QStringLiteral("frPromozione"));
    g->setVerticalSpacing(3);
    MaskDal = named(new QLineEdit(frPromozione), QStringLiteral("MaskDal"), QStringLiteral("Dal"));
    MaskAl = named(new QLineEdit(frPromozione), QStringLiteral("MaskAl"), QStringLiteral("Al"));
    for (QLineEdit* e : {MaskDal, MaskAl})
        e->setInputMask(QStringLiteral("99/99/9999"));
    auto* grp = new QButtonGroup(this);
    optTipoSconto[0] =
        named(new QRadioButton(QStringLiteral("Valore"), frPromozione), QStringLiteral("optTipoSconto_0"));
    optTipoSconto[1] = named(new QRadioButton(QStringLiteral("%"), frPromozione), QStringLiteral("optTipoSconto_1"));
    grp->addButton(optTipoSconto[0], 0);
    grp->addButton(optTipoSconto[1], 1);
    Label5_2 = named(new QLabel(QStringLiteral("di quanti €"), frPromozione), QStringLiteral("Label5_2"));
    txtSconto = named(new QLineEdit(frPromozione), QStringLiteral("txtSconto"), QStringLiteral("Sconto"));
    Label5_2->setBuddy(txtSconto);
    txtPrezzoScontato =
        named(new QLineEdit(frPromozione), QStringLiteral("txtPrezzoScontato"), QStringLiteral("Prezzo scontato"));
    cmdConfermaPromozione = pulsante(frPromozione, QStringLiteral("cmdConfermaPromozione"), QStringLiteral("CONFERMA"));
    cmdAnnullaPromozione =
        pulsante(frPromozione, QStringLiteral("cmdAnnullaPromozione"), QStringLiteral("ANNULLA - CHIUDI"));
    g->addWidget(etichetta(QStringLiteral("Dal"), MaskDal, frPromozione), 0, 0);
    g->addWidget(MaskDal, 0, 1);
    g->addWidget(etichetta(QStringLiteral("Al"), MaskAl, frPromozione), 0, 2);
    g->addWidget(MaskAl, 0, 3);
    g->addWidget(optTipoSconto[0], 1, 0);
    g->addWidget(optTipoSconto[1], 1, 1);
    g->addWidget(Label5_2, 1, 2);
    g->addWidget(txtSconto, 1, 3);
    g->addWidget(etichetta(QStringLiteral("Prezzo"), txtPrezzoScontato, frPromozione), 2, 0);
    g->addWidget(txtPrezzoScontato, 2, 1);
    g->addWidget(cmdConfermaPromozione, 2, 2);
    g->addWidget(cmdAnnullaPromozione, 2, 3);
    lblMotivoPrezzo = named(new QLabel(frPromozione), QStringLiteral("lblMotivoPrezzo"), QStringLiteral("Prezzo"));
    lblMotivoPrezzo->setWordWrap(true);
    // Room for two lines, so the reason is read whole even when the window is at its tightest.
    lblMotivoPrezzo->setMinimumHeight(2 * lblMotivoPrezzo->fontMetrics().height() + 8);
    lblMotivoPrezzo->setStyleSheet(QStringLiteral("QLabel#lblMotivoPrezzo { color: #a00000; }"));
    lblMotivoPrezzo->hide();
    g->addWidget(lblMotivoPrezzo, 3, 0, 1, 4);
    v->addWidget(frPromozione);

    auto* e = riquadro<QVBoxLayout>(frElencoPromozioni, box, QStringLiteral("Elenco Promozioni"),
                                    QStringLiteral("frElencoPromozioni"));
    lstOfferte = named(new ListaReport(frElencoPromozioni), QStringLiteral("lstOfferte"), QStringLiteral("Promozioni"));
    lstOfferte->lista()->setIntestazioni({QStringLiteral("Cod"), QStringLiteral("CodArt"),
                                          QStringLiteral("Descrizione"), QStringLiteral("DAL"), QStringLiteral("AL"),
                                          QStringLiteral("Sconto Valore"), QStringLiteral("Sconto Percentuale"),
                                          QStringLiteral("Prezzo Scontato")});
    lstOfferte->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstOfferte->setMinimumWidth(300);
    // Low enough that both promotion frames fit beside the lists on a 768 pixel screen.
    lstOfferte->setMinimumHeight(40);
    cmdEliminaOfferta =
        pulsante(frElencoPromozioni, QStringLiteral("cmdEliminaOfferta"), QStringLiteral("Elimina Offerte"));
    cmdChiudiElencoOfferte =
        pulsante(frElencoPromozioni, QStringLiteral("cmdChiudiElencoOfferte"), QStringLiteral("Chiudi Elenco Offerte"));
    cmdStampaElencoOfferte =
        pulsante(frElencoPromozioni, QStringLiteral("cmdStampaElencoOfferte"), QStringLiteral("Stampa Elenco Offerte"));
    e->addWidget(lstOfferte, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(cmdEliminaOfferta);
    row->addWidget(cmdStampaElencoOfferte);
    row->addWidget(cmdChiudiElencoOfferte);
    e->addLayout(row);
    v->addWidget(frElencoPromozioni, 1);
    v->addStretch(0);

    frPromozione->hide();
    frElencoPromozioni->hide();
    return box;
}

QWidget* Magazzino::costruisciVenduto()
{
    auto* v = riquadro<QVBoxLayout>(frVendPLU, this, QStringLiteral("PLU Venduti"), QStringLiteral("frVendPLU"));
    auto* row = new QHBoxLayout;
    dtGiornoRif = named(new QDateEdit(frVendPLU), QStringLiteral("dtGiornoRif"), QStringLiteral("Dal"));
    dtDataAl = named(new QDateEdit(frVendPLU), QStringLiteral("dtDataAl"), QStringLiteral("Al"));
    for (QDateEdit* d : {dtGiornoRif, dtDataAl}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        d->setMinimumWidth(120);
    }
    cmdTrova = pulsante(frVendPLU, QStringLiteral("cmdTrova"), QStringLiteral("Vedi"));
    cmdStampaVPLU = pulsante(frVendPLU, QStringLiteral("cmdStampaVPLU"), QStringLiteral("Stampa"));
    // Two rows, so the tab fits beside the promotion frames on a 1024 pixel screen.
    row->addWidget(new QLabel(QStringLiteral("Periodo di Riferimento DAL - AL"), frVendPLU));
    row->addWidget(dtGiornoRif);
    row->addWidget(dtDataAl);
    row->addWidget(cmdTrova);
    row->addStretch(1);
    auto* m = riquadro<QHBoxLayout>(frArticoliMov, frVendPLU, QStringLiteral("Articoli movimentati"),
                                    QStringLiteral("frArticoliMov"));
    lblTotMovimentati =
        valore(frArticoliMov, QStringLiteral("lblTotMovimentati"), QStringLiteral("Articoli movimentati"));
    m->addWidget(lblTotMovimentati);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(frArticoliMov);
    row2->addStretch(1);
    row2->addWidget(cmdStampaVPLU, 0, Qt::AlignBottom);
    v->addLayout(row);
    v->addLayout(row2);
    lstPLU = named(new ListaReport(frVendPLU), QStringLiteral("lstPLU"), QStringLiteral("PLU Venduti"));
    lstPLU->lista()->setColonneNumeriche({3});
    lstPLU->installEventFilter(this); // its width sets the "Descrizione" column
    v->addWidget(lstPLU, 1);
    frVendPLU->hide();
    return frVendPLU;
}

QWidget* Magazzino::costruisciTotali()
{
    // The notice gets the window's whole width under the totals: at 18 or 20 points it then
    // takes one or two lines, and the promotion frames keep their room on a 768 pixel screen.
    QWidget* box = nullptr;
    auto* v = striscia<QVBoxLayout>(this, box);
    auto* h = new QHBoxLayout;
    h->setContentsMargins(0, 0, 0, 0);
    v->addLayout(h);

    auto* a =
        riquadro<QHBoxLayout>(frTotaleArticoli, box, QStringLiteral("Articoli"), QStringLiteral("frTotaleArticoli"));
    lblTotVociMaga = valore(frTotaleArticoli, QStringLiteral("lblTotVociMaga"), QStringLiteral("In archivio"));
    lblTotArt = valore(frTotaleArticoli, QStringLiteral("lblTotArt"), QStringLiteral("In elenco"));
    a->addWidget(new QLabel(QStringLiteral("In archivio:"), frTotaleArticoli));
    a->addWidget(lblTotVociMaga);
    a->addSpacing(12);
    a->addWidget(new QLabel(QStringLiteral("In elenco:"), frTotaleArticoli));
    a->addWidget(lblTotArt);
    h->addWidget(frTotaleArticoli);

    auto* t = riquadro<QHBoxLayout>(Frame1, box, QStringLiteral("Totali"), QStringLiteral("Frame1"));
    totValore = named(new QLineEdit(QStringLiteral("0,000000"), Frame1), QStringLiteral("totValore"),
                      QStringLiteral("Valore:"));
    TotRicorrenze = named(new QLineEdit(QStringLiteral("0"), Frame1), QStringLiteral("TotRicorrenze"),
                          QStringLiteral("Tot. Voci:"));
    for (QLineEdit* e : {totValore, TotRicorrenze}) {
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight);
        e->setFocusPolicy(Qt::ClickFocus);
    }
    totValore->setMinimumWidth(150);
    TotRicorrenze->setMaximumWidth(80);
    t->addWidget(etichetta(QStringLiteral("Valore:"), totValore, Frame1));
    t->addWidget(totValore);
    t->addSpacing(12);
    t->addWidget(etichetta(QStringLiteral("Tot. Voci:"), TotRicorrenze, Frame1));
    t->addWidget(TotRicorrenze);
    h->addWidget(Frame1);
    h->addStretch(1);

    lblTab = named(new QLabel(box), QStringLiteral("lblTab"), QStringLiteral("Avvisi"));
    lblTab->setFrameShape(QFrame::StyledPanel);
    lblTab->setFrameShadow(QFrame::Sunken);
    lblTab->setWordWrap(true);
    lblTab->setMinimumHeight(30);
    QFont f = lblTab->font();
    f.setBold(true);
    lblTab->setFont(f);
    lblTab->setStyleSheet(QStringLiteral("QLabel#lblTab { color: #a00000; padding: 2px 6px; }"));
    lblTab->installEventFilter(this);
    v->addWidget(lblTab);
    return box;
}

QWidget* Magazzino::costruisciPulsanti()
{
    QWidget* box = nullptr;
    auto* h = striscia<QHBoxLayout>(this, box);

    auto* art = new QGroupBox(QStringLiteral("PLU"), box);
    auto* ga = new QGridLayout(art);
    Aggiungi = pulsante(art, QStringLiteral("Aggiungi"), QStringLiteral("&Nuovo PLU"));
    Modifica = pulsante(art, QStringLiteral("Modifica"), QStringLiteral("&Mod Eli PLU"));
    Elimina = pulsante(art, QStringLiteral("Elimina"), QStringLiteral("Elimina PLU"));
    Recupera = pulsante(art, QStringLiteral("Recupera"), QStringLiteral("Eliminati"));
    Generi = pulsante(art, QStringLiteral("Generi"), QStringLiteral("&Reparti"));
    cmdPromozioni = pulsante(art, QStringLiteral("cmdPromozioni"), QStringLiteral("PROMOZIONI"));
    cmdVediTutteLePromozioni =
        pulsante(art, QStringLiteral("cmdVediTutteLePromozioni"), QStringLiteral("Tutte le Promozioni DAL"));
    ga->addWidget(Aggiungi, 0, 0);
    ga->addWidget(Modifica, 0, 1);
    ga->addWidget(Elimina, 0, 2);
    ga->addWidget(Recupera, 1, 0);
    ga->addWidget(Generi, 1, 1);
    ga->addWidget(cmdPromozioni, 1, 2);
    ga->addWidget(cmdVediTutteLePromozioni, 2, 0, 1, 3);
    h->addWidget(art);

    auto* maga = new QGroupBox(QStringLiteral("Magazzino"), box);
    auto* gm = new QGridLayout(maga);
    txtQtaPredef = named(new QLineEdit(maga), QStringLiteral("txtQtaPredef"), QStringLiteral("Qta predef"));
    txtQtaPredef->setMaximumWidth(80);
    txtQtaPredef->setAlignment(Qt::AlignRight);
    txtQtaPredef->installEventFilter(this); // a press opens the on-screen keyboard
    cmdAggiornaQta = pulsante(maga, QStringLiteral("cmdAggiornaQta"), QStringLiteral("Applica"));
    cmdAdeguaCodici = pulsante(maga, QStringLiteral("cmdAdeguaCodici"), QStringLiteral("Adegua BC"));
    ckPerFrontalini = named(new QCheckBox(QStringLiteral("x Frontalini"), maga), QStringLiteral("ckPerFrontalini"));
    gm->addWidget(etichetta(QStringLiteral("Qta predef"), txtQtaPredef, maga), 0, 0);
    gm->addWidget(txtQtaPredef, 0, 1);
    gm->addWidget(cmdAggiornaQta, 1, 0);
    gm->addWidget(ckPerFrontalini, 1, 1);
    gm->addWidget(cmdAdeguaCodici, 2, 0, 1, 2);
    h->addWidget(maga);

    auto* dati = new QGroupBox(QStringLiteral("Dati"), box);
    auto* gd = new QGridLayout(dati);
    cmdSalva = pulsante(dati, QStringLiteral("cmdSalva"), QStringLiteral("&Salva Dati"));
    cmdCambiaDb = pulsante(dati, QStringLiteral("cmdCambiaDb"), QStringLiteral("Cambia &Dati"));
    cmdImporta = pulsante(dati, QStringLiteral("cmdImporta"), QStringLiteral("&Importa da FileDati"));
    cmdGeneraFile = pulsante(dati, QStringLiteral("cmdGeneraFile"), QStringLiteral("&Genera File Dati"));
    gd->addWidget(cmdSalva, 0, 0);
    gd->addWidget(cmdCambiaDb, 0, 1);
    gd->addWidget(cmdImporta, 1, 0);
    gd->addWidget(cmdGeneraFile, 1, 1);
    h->addWidget(dati);

    auto* stampe = new QGroupBox(QStringLiteral("Stampe"), box);
    auto* gs = new QVBoxLayout(stampe);
    cmdStampaMagazzino = pulsante(stampe, QStringLiteral("cmdStampaMagazzino"), QStringLiteral("Stampa Esporta"));
    cmdStampaFrontalino = pulsante(stampe, QStringLiteral("cmdStampaFrontalino"), QStringLiteral("Stampa Front."));
    pbEsporta = named(new QProgressBar(stampe), QStringLiteral("pbEsporta"), QStringLiteral("Esportazione"));
    pbEsporta->setTextVisible(false);
    pbEsporta->setMaximumHeight(12);
    lblEsporta = named(new QLabel(stampe), QStringLiteral("lblEsporta"), QStringLiteral("Righe esportate"));
    lblEsporta->setAlignment(Qt::AlignCenter);
    gs->addWidget(cmdStampaMagazzino);
    gs->addWidget(cmdStampaFrontalino);
    gs->addWidget(pbEsporta);
    gs->addWidget(lblEsporta);
    gs->addStretch(1);
    pbEsporta->hide();
    lblEsporta->hide();
    h->addWidget(stampe);
    h->addStretch(1);
    return box;
}

void Magazzino::collega()
{
    connect(tmrCaricaPLU, &QTimer::timeout, this, &Magazzino::tmrCaricaPLU_Timer);
    connect(tmrImporta, &QTimer::timeout, this, [this] {
        // A closed window (its deletion pending) polls no more: the poll runs events, and those
        // would delete it under the poll.
        if (isUnloading()) {
            tmrImporta->stop();
            return;
        }
        QPointer<Magazzino> self(this);
        // The poll's notices go to the status line; a variation file reloads the list.
        class Host final : public InPollTimer::Finestra
        {
        public:
            explicit Host(Magazzino& w) : m_w(w) {}
            void ricaricaLista() override { m_w.CaricaMagazzino(ArticleList::Filtro::perDescrizione(), false); }
            void avvisa(const QString& testo) override { m_w.mostraLblTab(testo); }

        private:
            Magazzino& m_w;
        } host(*this);
        InPollTimer::eseguiPassaggio(this, tmrImporta, Contesto::importazioni().poll, host);
        if (self)
            registroInAttesa();
    });
    connect(CmdCerca, &QPushButton::clicked, this, &Magazzino::CmdCerca_Click);
    connect(Command7, &QPushButton::clicked, this, &Magazzino::Command7_Click);
    connect(CmdUscita, &QPushButton::clicked, this, &Magazzino::CmdUscita_Click);
    connect(tbTAB, &QTabBar::currentChanged, this, &Magazzino::tbTAB_Click);
    connect(cmdTrova, &QPushButton::clicked, this, &Magazzino::cmdTrova_Click);
    connect(Recupera, &QPushButton::clicked, this, &Magazzino::Recupera_Click);
    connect(cmdImporta, &QPushButton::clicked, this, [this] { cmdImporta_Click(*m_elencoImporta); });
    connect(Genere, &QComboBox::activated, this, &Magazzino::Genere_Click);
    connect(ckModificati, &QCheckBox::toggled, this, &Magazzino::modificatiCambiato);

    connect(ListMagazzino, &QAbstractItemView::clicked, this, [this] {
        ListMagazzino_ItemClick();
        ListMagazzino_Click();
    });
    connect(ListMagazzino, &QAbstractItemView::doubleClicked, this, &Magazzino::ListMagazzino_DblClick);
    connect(ListMagazzino, &ListaReport::modificaRifiutata, this, &Magazzino::ListMagazzino_BeforeLabelEdit);

    // The bulk stock, code and backup operations.
    connect(cmdAggiornaQta, &QPushButton::clicked, this, [this] {
        if (StockOperations::applicaQuantitaPredefinita(this, txtQtaPredef->text()))
            CaricaMagazzino(ArticleList::Filtro::tutti(), false);
        focusRicBarCode();
    });
    connect(cmdAdeguaCodici, &QPushButton::clicked, this, [this] {
        if (StockOperations::adeguaCodiciConConferma(this))
            CaricaMagazzino(ArticleList::Filtro::tutti(), false);
        focusRicBarCode();
    });
    connect(Elimina, &QPushButton::clicked, this, [this] {
        if (StockOperations::eliminaArticoloConConferma(this, ListMagazzino->selectedCode()))
            CaricaMagazzino(ArticleList::Filtro::tutti(), false);
        focusRicBarCode();
    });
    KeyPressFilter::install(
        txtQtaPredef, [this](int key) { return StockOperations::filtraTastoQuantita(key, txtQtaPredef->text()); });
    connect(cmdSalva, &QPushButton::clicked, this, [this] {
        DataBackup::eseguiSalvataggio(this, DataBackup::discoDiSistema());
        focusRicBarCode();
    });
    connect(cmdCambiaDb, &QPushButton::clicked, this, [this] {
        if (DataBackup::scegliECambiaDatabase(this))
            Form_Activate();
    });
    collegaModifica();
    collegaCasse();
    collegaStampaFrontalino(*this, *m_font);
    collegaStampe();
}

// ---------------------------------------------------------------------------------------------
// Lifecycle

void Magazzino::formLoad()
{
    tmrCaricaPLU->start(); // enabled from the start: the list first fills during the wait below
    AssegnaImmaginiPulsanti(this);
    app().interrompiRicezione = false;
    app().saltaAggiornamento = false;
    frPLUQuidar->show();
    optTrasf[0]->setChecked(true);
    optCerca[0]->setChecked(true);
    const QDate oggi = QDate::currentDate();
    dtGiornoRif->setDate(oggi);
    dtDataAl->setDate(oggi);
    ListMagazzino->show();
    frVendPLU->hide();
    preparaPortaCassa();
    MaskDal->setText(Vb::formatDate(oggi));
    MaskAl->setText(Vb::formatDate(oggi));
    optTipoSconto[0]->setChecked(true);
    avvisoPromozioni();
    // Layouts replace the proportional resizer; the window lives maximised (and fills the
    // screen even where no window manager honours the maximised state).
    if (const QScreen* s = screen())
        setGeometry(s->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    tmrImporta->start(); // the IN-folder poll runs while the window lives
    Attesa(650, InputUtente::Trattenuto);
}

void Magazzino::formActivate()
{
    setWindowTitle(app().testoStato.isEmpty() ? app().titoloProgramma : app().testoStato);
    app().flagPiruNEX = LeggiFlagPiruNEX();
    if (!app().saltaAggiornamento) {
        Clessidra c;
        applicaSfondo();
        CaricaCboGeneri();
        CaricaFornitori();
        ImpostaColonnePLU();
        tmrCaricaPLU->start();
        optCerca[2]->setChecked(true);
        const Letto<bool> modificati = Articoli::ciSonoModificati();
        if (!modificati.ok)
            ScriviErrore(kModulo, QStringLiteral("Form_Activate"), VbErr::DatabaseError, modificati.errore);
        else
            ckModificati->setChecked(*modificati.valore);
    }
    app().saltaAggiornamento = false;
    focusRicBarCode();
}

bool Magazzino::formQueryUnload()
{
    // "Chiudi" or the window's close button during a transfer's waits: the window stays, the
    // hourglass says why, and it can be closed once the transfer is over.
    return !app().trasferimentoInCorso();
}

void Magazzino::changeEvent(QEvent* e)
{
    FormBase::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange)
        return;
    // Form_Resize: a window restored to its normal size is maximised again at once.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) && isVisible()) {
        QPointer<Magazzino> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && !(self->windowState() & (Qt::WindowMinimized | Qt::WindowFullScreen)))
                self->setWindowState(Qt::WindowMaximized);
        });
    }
}

bool Magazzino::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblTab && event->type() == QEvent::MouseButtonDblClick) {
        lblTab_DblClick();
        return true;
    }
    if (watched == lstPLU && event->type() == QEvent::Resize && lstPLU->model()->columnCount() > 2)
        larghezzaColonnaDescrizione();
    if (watched == txtQtaPredef && event->type() == QEvent::MouseButtonPress) {
        // After the event: the keyboard is modal and must not run inside the press.
        QTimer::singleShot(0, this, &Magazzino::txtQtaPredef_MouseDown);
        return false;
    }
    return FormBase::eventFilter(watched, event);
}

void Magazzino::applicaSfondo()
{
    const VbColor c = app().coloreSfondo;
    setBackground(this, c);
    for (QWidget* w :
         std::initializer_list<QWidget*>{Frame2, Frame1, txtRicBarCode, frPLUQuidar, optTrasf[0], optTrasf[1],
                                         ckModificati, ckPerFrontalini, frTotaleArticoli, frVendPLU, frArticoliMov})
        setBackground(w, c);
    for (QRadioButton* o : optCerca)
        setBackground(o, c);
    // The barcode box is an edit field: its text area keeps the edit colour.
    QPalette p = txtRicBarCode->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(QPalette::Base));
    txtRicBarCode->setPalette(p);
}

void Magazzino::registroInAttesa()
{
    if (ScriviErroriInAttesa()) {
        if (!m_avvisoRegistro.isEmpty() && lblTab->text() == m_avvisoRegistro)
            lblTab->hide();
        m_avvisoRegistro.clear();
        return;
    }
    const QStringList righe = erroriInAttesa();
    m_avvisoRegistro = QStringLiteral("Registro degli errori non scrivibile, righe in attesa: %1").arg(righe.size());
    if (!righe.isEmpty())
        m_avvisoRegistro += QStringLiteral(" - ultima: ") + righe.constLast();
    mostraLblTab(m_avvisoRegistro);
}

void Magazzino::CmdUscita_Click()
{
    unload();
}

// ---------------------------------------------------------------------------------------------
// List

void Magazzino::CaricaMagazzino(const ArticleList::Filtro& filtro, bool marca)
{
    Clessidra c;
    ArticleList::Caricamento r = ArticleList::leggi(filtro);
    m_archivioInUso = r.inUso;
    if (!r.aperto) {
        // A list that could not be read is not an empty archive, nor is part of it the whole:
        // the rows stay as they were.
        letturaFallita(Lettura::Elenco, QStringLiteral("CaricaMagazzino"), r.errore, r.inUso,
                       QStringLiteral("ATTENZIONE! Lettura dei PLU non riuscita: l'elenco non è aggiornato"));
        return;
    }
    letturaRiuscita(Lettura::Elenco);
    if (marca && !r.righe.isEmpty()) {
        QStringList codici;
        codici.reserve(r.righe.size());
        for (const RigaLista& riga : r.righe)
            codici << riga.testo.at(ArticleList::colCod);
        ArticleList::ImpostaTipoVariazione(codici, perFrontalini());
    }
    lblTotVociMaga->setText(ArticleList::testoConteggio(r.totVoci));
    ListMagazzino->lista()->setRighe(std::move(r.righe));
    if (ListMagazzino->count() > 0)
        ListMagazzino->selezionaRiga(0);
    totValore->setText(ArticleList::testoValore(r.valore));
    TotRicorrenze->setText(ArticleList::testoConteggio(r.listate));
    lblTotArt->setText(ArticleList::testoConteggio(r.listate));
    const bool righe = ListMagazzino->count() > 0;
    Elimina->setEnabled(righe);
    Modifica->setEnabled(righe);
}

void Magazzino::letturaFallita(Lettura l, const QString& proc, const QString& errore, bool inUso, const QString& avviso)
{
    QString& detto = m_avvisiLettura[std::size_t(l)];
    const QString testo = inUso ? Db::testoInUso() : avviso;
    if (detto != testo) {
        if (inUso)
            ScriviErrore(kModulo, proc, VbErr::DatabaseInUse);
        else
            ScriviErrore(kModulo, proc, VbErr::DatabaseError, errore);
    }
    detto = testo;
    mostraLblTab(testo);
}

void Magazzino::letturaRiuscita(Lettura l)
{
    QString& detto = m_avvisiLettura[std::size_t(l)];
    if (detto.isEmpty())
        return;
    const bool mostrato = lblTab->text() == detto;
    detto.clear();
    if (!mostrato)
        return;
    // A read that still fails is told instead.
    for (const QString& altro : m_avvisiLettura)
        if (!altro.isEmpty()) {
            mostraLblTab(altro);
            return;
        }
    lblTab->hide();
}

void Magazzino::ImpostaTipoVariazione(const QString& codice, bool salta)
{
    ArticleList::ImpostaTipoVariazione(codice, salta, perFrontalini());
}

bool Magazzino::perFrontalini() const
{
    return ckPerFrontalini->checkState() == Qt::Checked;
}

void Magazzino::focusRicBarCode()
{
    if (txtRicBarCode->isVisible() && txtRicBarCode->isEnabled())
        txtRicBarCode->setFocus(Qt::OtherFocusReason);
}

void Magazzino::ListMagazzino_ItemClick()
{
    if (frPromozione->isVisible())
        caricaOffertaArticolo(ListMagazzino->selectedCode());
    focusRicBarCode();
}

void Magazzino::ListMagazzino_Click()
{
    app().modoEtichette = QStringLiteral("GRIGLIA");
    const int row = ListMagazzino->selectedRow();
    if (row < 0)
        return;
    ImpostaTipoVariazione(ListMagazzino->testo(row, ArticleList::colCod), false);
    const QPointer<FormBase> editor = FormBase::registry().value(QStringLiteral("AggiungiMateriale"));
    if (!editor || !editor->isVisible())
        focusRicBarCode();
}

void Magazzino::ListMagazzino_DblClick()
{
    // The same as the "&Mod Eli PLU" button, whatever its owner connected to it.
    if (Modifica->isEnabled())
        Modifica->click();
}

void Magazzino::ListMagazzino_BeforeLabelEdit()
{
    focusRicBarCode();
}

// ---------------------------------------------------------------------------------------------
// Search

void Magazzino::ricarica()
{
    CaricaMagazzino(ArticleList::Filtro::perDescrizione(), false);
}

void Magazzino::CmdCerca_Click()
{
    ArticleSearch::Criteri c;
    c.opzione = qMax(0, grpCerca->checkedId());
    c.testo = Descrizione->text();
    c.reparto = Genere->currentText();
    c.fornitore = Fornitore->currentText();
    CaricaMagazzino(ArticleList::Filtro::ricerca(c), true);
    focusRicBarCode();
}

void Magazzino::RipetiRicerca()
{
    ricarica();
}

void Magazzino::tmrCaricaPLU_Timer()
{
    tmrCaricaPLU->stop();
    {
        // A timer runs the reload: a database another program holds is not waited for.
        const Db::AttesaBreve breve;
        RipetiRicerca();
    }
    if (m_archivioInUso)
        tmrCaricaPLU->start(); // the list is reloaded once the database is free
}

void Magazzino::Command7_Click()
{
    Genere->setCurrentIndex(-1);
    Fornitore->setCurrentIndex(-1);
    Descrizione->clear();
    StockOperations::chiediAzzeramentoFrontalini(perFrontalini());
    ricarica();
    focusRicBarCode();
}

void Magazzino::Genere_Click()
{
    focusRicBarCode();
}

void Magazzino::txtQtaPredef_MouseDown()
{
    app().saltaAggiornamento = true;
    frmTastiera::apriPer(1, this, QStringLiteral("txtQtaPredef"), false);
}

void Magazzino::Recupera_Click()
{
    frmEliminati& f = Forms::get<frmEliminati>();
    if (!f.letti()) {
        f.unload();
        focusRicBarCode();
        return;
    }
    f.showModal();
    CaricaMagazzino(ArticleList::Filtro::tutti(), false);
    focusRicBarCode();
}

// ---------------------------------------------------------------------------------------------
// Deleted articles

frmEliminati::frmEliminati(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("frmEliminati"));
    setWindowTitle(QStringLiteral("PLU Eliminati"));
    auto* v = new QVBoxLayout(this);
    lstEliminati = named(new ListaReport(this), QStringLiteral("lstEliminati"), QStringLiteral("PLU Eliminati"));
    lstEliminati->lista()->setIntestazioni(
        {QStringLiteral("Cod"), QStringLiteral("Descrizione"), QStringLiteral("BarCode"), QStringLiteral("Prz. V")});
    lstEliminati->lista()->setColonneNumeriche({0, 3});
    lstEliminati->setColumnWidth(0, 60);
    lstEliminati->setColumnWidth(1, 300);
    lstEliminati->setColumnWidth(2, 130);
    v->addWidget(lstEliminati, 1);
    auto* h = new QHBoxLayout;
    cmdRipristina = pulsante(this, QStringLiteral("cmdRipristina"), QStringLiteral("Ripristina"));
    cmdChiudi = pulsante(this, QStringLiteral("cmdChiudi"), QStringLiteral("Chiudi"));
    h->addStretch(1);
    h->addWidget(cmdRipristina);
    h->addWidget(cmdChiudi);
    v->addLayout(h);
    resize(640, 420);
    connect(cmdRipristina, &QPushButton::clicked, this, &frmEliminati::cmdRipristina_Click);
    connect(lstEliminati, &QAbstractItemView::doubleClicked, this, &frmEliminati::cmdRipristina_Click);
    connect(cmdChiudi, &QPushButton::clicked, this, [this] { unload(); });
}

void frmEliminati::formLoad()
{
    setBackground(this, app().coloreSfondo);
    AssegnaImmaginiPulsanti(this);
    m_letti = carica();
}

// The article window reloads its list itself when this closes.
void frmEliminati::formUnload()
{
    app().saltaAggiornamento = true;
}

bool frmEliminati::carica()
{
    const Letto<QList<RigaLista>> letti = ArticleList::eliminati();
    lstEliminati->lista()->setRighe(letti.valore.value_or(QList<RigaLista>()));
    if (lstEliminati->count() > 0)
        lstEliminati->selezionaRiga(0);
    cmdRipristina->setEnabled(lstEliminati->count() > 0);
    if (!letti.ok)
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura dei PLU eliminati non riuscita"));
    return letti.ok;
}

void frmEliminati::cmdRipristina_Click()
{
    const int row = lstEliminati->selectedRow();
    if (row < 0)
        return;
    if (!ArticleList::ripristina(lstEliminati->testo(row, 0))) {
        Msg::warn(QStringLiteral("ATTENZIONE! Ripristino del PLU non riuscito"));
        return;
    }
    if (carica())
        lstEliminati->selezionaRiga(qMin(row, lstEliminati->count() - 1));
}

void Magazzino::CaricaCboGeneri()
{
    const Letto<QList<Reparto>> reparti = Articoli::reparti();
    if (reparti.ok) {
        letturaRiuscita(Lettura::Reparti);
        Genere->clear();
        for (const Reparto& r : *reparti.valore)
            Genere->addItem(r.descrizione);
    } else {
        // The combo keeps the departments it showed.
        letturaFallita(Lettura::Reparti, QStringLiteral("CaricaCboGeneri"), reparti.errore, Db::inUso(reparti.errore),
                       QStringLiteral("ATTENZIONE! Lettura dei reparti non riuscita: l'elenco dei reparti non è "
                                      "aggiornato"));
    }
    Genere->setCurrentIndex(-1);
}

void Magazzino::CaricaFornitori()
{
    const Letto<QStringList> fornitori = Articoli::fornitori();
    if (fornitori.ok) {
        letturaRiuscita(Lettura::Fornitori);
        Fornitore->clear();
        Fornitore->addItems(*fornitori.valore);
    } else {
        // The combo keeps the suppliers it showed.
        letturaFallita(Lettura::Fornitori, QStringLiteral("CaricaFornitori"), fornitori.errore,
                       Db::inUso(fornitori.errore),
                       QStringLiteral("ATTENZIONE! Lettura dei fornitori non riuscita: l'elenco dei fornitori non è "
                                      "aggiornato"));
    }
    Fornitore->setCurrentIndex(-1);
}

// ---------------------------------------------------------------------------------------------
// Sold-quantity tab

int Magazzino::larghezzaDescrizionePLU(int larghezza)
{
    if (larghezza < 9000)
        return 5250;
    if (larghezza < 11550)
        return 7900;
    return 10500;
}

void Magazzino::ImpostaColonnePLU()
{
    lstPLU->lista()->setIntestazioni(
        {QStringLiteral("Cod"), QStringLiteral("EAN"), QStringLiteral("Descrizione"), QStringLiteral("Qtà")});
    lstPLU->setColumnHidden(0, true);
    lstPLU->setColumnWidth(1, twips(2000));
    larghezzaColonnaDescrizione();
    lstPLU->setColumnWidth(3, twips(1500));
    lstPLU->setShowGrid(false);
}

void Magazzino::larghezzaColonnaDescrizione()
{
    // Activation runs while the first tab hides the list, which then has no width of its own yet:
    // the list's resize, once shown, sets the column again from the width it really has.
    const QScreen* s = screen();
    const double dpi = s ? s->logicalDotsPerInch() : 96.0;
    const int larghezza = int(lstPLU->width() * 1440.0 / dpi);
    lstPLU->setColumnWidth(2, twips(larghezzaDescrizionePLU(larghezza)));
}

void Magazzino::mostraVenduto()
{
    const SoldQuantities::Venduto v = SoldQuantities::VisualizzaVendutoPLU(dtGiornoRif->date(), dtDataAl->date());
    QList<RigaLista> righe;
    righe.reserve(v.righe.size());
    for (const SoldQuantities::RigaPLU& r : v.righe) {
        RigaLista riga(4);
        riga.testo = {r.cod, r.ean, r.descrizione, r.qtaTesto};
        righe << riga;
    }
    lstPLU->lista()->setRighe(std::move(righe));
    if (v.ok)
        lblTotMovimentati->setText(v.totale);
}

void Magazzino::cmdTrova_Click()
{
    if (SoldQuantities::periodoValido(dtGiornoRif->date(), dtDataAl->date(), Contesto::interazione()))
        mostraVenduto();
}

void Magazzino::tbTAB_Click()
{
    if (tbTAB->currentIndex() == 0) {
        ListMagazzino->show();
        frVendPLU->hide();
        return;
    }
    ListMagazzino->hide();
    mostraVenduto();
    frVendPLU->show();
}

void Magazzino::lblTab_DblClick()
{
    lblTab->hide();
    lblTab->clear();
}

// ---------------------------------------------------------------------------------------------
// Register link

namespace {

// The article window as the editing windows see it.
class ArchivioMagazzino final : public ArchivioCallbacks
{
public:
    explicit ArchivioMagazzino(Magazzino& w) : m_w(w) {}
    void ricaricaTutti(Ordine ordine) override
    {
        m_w.CaricaMagazzino(ordine == Ordine::PerDescrizione ? ArticleList::Filtro::perDescrizione()
                                                             : ArticleList::Filtro::tutti(),
                            false);
    }
    void spuntaModificati() override { m_w.ckModificati->setChecked(true); }
    void ripetiRicerca() override { m_w.CmdCerca_Click(); }
    void focusRicBarCode() override { m_w.focusRicBarCode(); }
    void nascondiLblTab() override { m_w.lblTab->hide(); }
    void mostraLblTab(const QString& testo) override { m_w.mostraLblTab(testo); }

private:
    Magazzino& m_w;
};

} // namespace

ArchivioCallbacks& Magazzino::archivioCallbacks()
{
    if (!m_archivio)
        m_archivio = std::make_unique<ArchivioMagazzino>(*this);
    return *m_archivio;
}
