// The article window's links to the editing windows: the article editor, the departments,
// the promotions and the scanned-barcode box.
#include "archive/ui/Magazzino.h"
#include "core/VbConvert.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Ui.h"
#include "editing/ui/AggiungiMateriale.h"
#include "editing/ui/ArchivioCallbacks.h"
#include "editing/ui/Offerte.h"
#include "editing/ui/RepartiWindow.h"
#include "editing/ui/ScannedLookup.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>

void Magazzino::collegaModifica()
{
    connect(Aggiungi, &QPushButton::clicked, this, [this] { ::Aggiungi_Click(archivioCallbacks()); });
    connect(Modifica, &QPushButton::clicked, this,
            [this] { ::Modifica_Click(ListMagazzino->selectedCode(), archivioCallbacks()); });
    connect(Generi, &QPushButton::clicked, this, [this] { ::Generi_Click(archivioCallbacks()); });
    KeyPressFilter::install(txtRicBarCode,
                            [this](int k) { return ::txtRicBarCode_KeyPress(txtRicBarCode, k, archivioCallbacks()); });

    ControlliPromozione c;
    c.frPromozione = frPromozione;
    c.MaskDal = MaskDal;
    c.MaskAl = MaskAl;
    c.txtSconto = txtSconto;
    c.optEuro = optTipoSconto[0];
    c.optPercento = optTipoSconto[1];
    c.Label5_2 = Label5_2;
    c.txtPrezzoScontato = txtPrezzoScontato;
    c.lblMotivo = lblMotivoPrezzo;
    c.cmdConfermaPromozione = cmdConfermaPromozione;
    c.txtRicBarCode = txtRicBarCode;
    // The article list as the promotion frame reads it.
    class Lista final : public ListaPromozione
    {
    public:
        explicit Lista(const Magazzino& m) : m_m(m) {}
        QString codiceSelezionato() const override { return m_m.ListMagazzino->selectedCode(); }
        std::optional<QString> prezzoSelezionato() const override
        {
            if (m_m.ListMagazzino->count() == 0)
                return std::nullopt;
            return m_m.ListMagazzino->selectedText(ArticleList::colPrezzoV);
        }
        bool primaScheda() const override { return m_m.tbTAB->currentIndex() == 0; }

    private:
        const Magazzino& m_m;
    };
    m_promo = new PromozioneFrame(c, std::make_unique<Lista>(*this), this);
    m_promo->collega();
    connect(cmdPromozioni, &QPushButton::clicked, m_promo, &PromozioneFrame::cmdPromozioni_Click);
    connect(cmdConfermaPromozione, &QPushButton::clicked, m_promo, &PromozioneFrame::cmdConfermaPromozione_Click);
    connect(cmdAnnullaPromozione, &QPushButton::clicked, m_promo, &PromozioneFrame::cmdAnnullaPromozione_Click);
    connect(cmdVediTutteLePromozioni, &QPushButton::clicked, this, &Magazzino::cmdVediTutteLePromozioni_Click);
    connect(cmdEliminaOfferta, &QPushButton::clicked, this, &Magazzino::cmdEliminaOfferta_Click);
    connect(cmdChiudiElencoOfferte, &QPushButton::clicked, this, &Magazzino::cmdChiudiElencoOfferte_Click);
}

void Magazzino::avvisoPromozioni()
{
    Offerte::AvvisoPromozioni(lblTab);
}

void Magazzino::caricaOffertaArticolo(const QString& codice)
{
    if (m_promo)
        m_promo->CaricaOffertaArticolo(codice);
}

void Magazzino::cmdVediTutteLePromozioni_Click()
{
    if (frElencoPromozioni->isHidden()) {
        if (!VediTutteLePromozioni())
            return;
        ListMagazzino->setEnabled(false);
        frElencoPromozioni->show();
    } else {
        frElencoPromozioni->hide();
        ListMagazzino->setEnabled(true);
    }
}

bool Magazzino::VediTutteLePromozioni()
{
    QDate dal = Vb::parseDate(MaskDal->text());
    if (!dal.isValid())
        dal = QDate::currentDate();
    const Letto<QList<Offerte::RigaOfferta>> elenco = Offerte::elenco(dal);
    if (!elenco.ok) {
        // Half a list, or "NON TROVATO" for an article that is there, would mislead: none.
        lstOfferte->lista()->setRighe({});
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura delle promozioni non riuscita"));
        return false;
    }
    QList<RigaLista> righe;
    for (const Offerte::RigaOfferta& r : *elenco.valore) {
        RigaLista riga;
        riga.testo = r.testo;
        riga.colore.resize(riga.testo.size());
        riga.offerta = r.offerta;
        righe << riga;
    }
    lstOfferte->lista()->setRighe(righe);
    return true;
}

void Magazzino::cmdEliminaOfferta_Click()
{
    const QList<RigaLista> righe = lstOfferte->lista()->righe();
    QList<Offerte::Offerta> scelte;
    QSet<int> selezionate;
    for (const QModelIndex& i : lstOfferte->selectionModel()->selectedRows())
        if (const auto& o = righe.value(i.row()).offerta) {
            scelte << *o;
            selezionate << i.row();
        }
    if (scelte.isEmpty() || !EliminaOfferte(scelte))
        return;
    // Only the selected periods went: their rows are dropped, the list is not reloaded.
    QList<RigaLista> resto;
    for (int r = 0; r < righe.size(); ++r)
        if (!selezionate.contains(r))
            resto << righe.at(r);
    lstOfferte->lista()->setRighe(resto);
}

void Magazzino::cmdChiudiElencoOfferte_Click()
{
    frElencoPromozioni->hide();
    ListMagazzino->setEnabled(true);
    focusRicBarCode();
}
