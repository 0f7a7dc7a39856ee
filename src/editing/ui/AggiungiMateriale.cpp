#include "editing/ui/AggiungiMateriale.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Database.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/config/UnitaMisura.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Ui.h"
#include "core/ui/frmTastiera.h"
#include "editing/ArticleRules.h"
#include "editing/BarCodeUlteriori.h"
#include "reglink/ScannerPort.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using Campo = CalcoloPrezzi::Campo;

const QString kModifica = QStringLiteral("Modifica");
// ControlloCampi's answer when it has told the user why itself.
const QString kMotivoDetto = QStringLiteral("DETTO");

// The in-place cell editor of the extra barcodes: a yellow borderless box whose every change
// reaches the grid at once, as the old per-row boxes did.
class CasellaDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* e = named(new QLineEdit(parent), QStringLiteral("Casella"));
        e->setFrame(false);
        QPalette p = e->palette();
        p.setColor(QPalette::Base, colorFromVb(65535));
        e->setPalette(p);
        e->setAutoFillBackground(true);
        connect(e, &QLineEdit::textChanged, this, [this, e] {
            auto* self = const_cast<CasellaDelegate*>(this);
            Q_EMIT self->commitData(e);
        });
        return e;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        // Also called back for every change this box itself commits: leave the typing alone then.
        auto* e = static_cast<QLineEdit*>(editor);
        const QString t = index.data(Qt::EditRole).toString();
        if (e->text() != t) {
            e->setText(t);
            e->selectAll();
        }
    }
};

void seleziona(QComboBox* cb, const QString& testo)
{
    const int i = testo.isEmpty() ? -1 : cb->findText(testo, Qt::MatchExactly);
    if (cb->isEditable() && i < 0)
        cb->setEditText(testo);
    cb->setCurrentIndex(i);
    if (cb->isEditable() && i < 0)
        cb->setEditText(testo);
}

// The stored unit is shown as stored: one the list spells otherwise ("PZ" beside "Pz") or no
// longer offers joins the list for this opening, so an unchanged confirm keeps it.
void selezionaUnita(QComboBox* cb, const QString& unita)
{
    if (unita.isEmpty()) {
        cb->setCurrentIndex(-1);
        return;
    }
    int i = cb->findText(unita, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0) {
        cb->addItem(unita);
        i = cb->count() - 1;
    }
    cb->setCurrentIndex(i);
}

} // namespace

AggiungiMateriale::AggiungiMateriale(ArchivioCallbacks& archivio, QWidget* parent)
    : FormBase(parent), m_archivio(archivio)
{
    setObjectName(QStringLiteral("AggiungiMateriale"));
    setWindowTitle(app().titoloProgramma);

    auto* root = new QVBoxLayout(this);
    Label9 = named(new QLabel(QStringLiteral("- Dettaglio PLU -"), this), QStringLiteral("Label9"));
    Label9->setAlignment(Qt::AlignCenter);
    QFont big = Label9->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    Label9->setFont(big);
    Label9->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    root->addWidget(Label9);

    Frame1 = named(new QGroupBox(this), QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(Frame1);
    root->addWidget(Frame1);

    int row = 0;
    const auto campo = [&](QWidget* w, const QString& caption, int col) {
        auto* l = new QLabel(caption, Frame1);
        l->setBuddy(w);
        grid->addWidget(l, row, col * 2);
        grid->addWidget(w, row, col * 2 + 1);
        w->setAccessibleName(caption.trimmed());
        return l;
    };
    const auto edit = [&](const QString& name) { return named(new QLineEdit(Frame1), name); };

    TxtDesc = edit(QStringLiteral("TxtDesc"));
    campo(TxtDesc, QStringLiteral("Descrizione:"), 0);
    grid->addWidget(TxtDesc, row, 1, 1, 3);
    ++row;
    LbLBarCode = edit(QStringLiteral("LbLBarCode"));
    {
        QPalette p = LbLBarCode->palette();
        p.setColor(QPalette::Text, Qt::red);
        LbLBarCode->setPalette(p);
        QFont f = LbLBarCode->font();
        f.setBold(true);
        LbLBarCode->setFont(f);
    }
    campo(LbLBarCode, QStringLiteral("Codice a Barre:"), 0);
    txtCodArtFornitore = edit(QStringLiteral("txtCodArtFornitore"));
    campo(txtCodArtFornitore, QStringLiteral("Codice usato dal Fornitore:"), 1);
    ++row;
    CboGenere = named(new QComboBox(Frame1), QStringLiteral("CboGenere"));
    campo(CboGenere, QStringLiteral("Reparto:"), 0);
    CboFornitore = named(new QComboBox(Frame1), QStringLiteral("CboFornitore"));
    CboFornitore->setEditable(true);
    CboFornitore->setInsertPolicy(QComboBox::NoInsert);
    campo(CboFornitore, QStringLiteral("Fornitore:"), 1);
    ++row;
    txtUm = named(new QComboBox(Frame1), QStringLiteral("txtUm"));
    campo(txtUm, QStringLiteral("Unità Misura:"), 0);
    TxtQTA = edit(QStringLiteral("TxtQTA"));
    campo(TxtQTA, QStringLiteral("Q.tà Iniziale:"), 1);
    ++row;
    txtAcquisto = edit(QStringLiteral("txtAcquisto"));
    campo(txtAcquisto, QStringLiteral("Prezzo di Acquisto senza IVA:"), 0);
    txtIVA = edit(QStringLiteral("txtIVA"));
    campo(txtIVA, QStringLiteral("IVA:"), 1);
    ++row;
    txtAcquistoConIVA = edit(QStringLiteral("txtAcquistoConIVA"));
    txtAcquistoConIVA->setReadOnly(true);
    campo(txtAcquistoConIVA, QStringLiteral("Prezzo di Acquisto con IVA:"), 0);
    txtRicaricoCalcolato = edit(QStringLiteral("txtRicaricoCalcolato"));
    campo(txtRicaricoCalcolato, QStringLiteral("Ricarico % "), 1);
    ++row;
    txtPrezzoPubblico = edit(QStringLiteral("txtPrezzoPubblico"));
    campo(txtPrezzoPubblico, QStringLiteral("Prezzo al pubblico:"), 0);
    cmdAccetta = named(new QPushButton(QStringLiteral("&Accetta"), Frame1), QStringLiteral("cmdAccetta"));
    grid->addWidget(cmdAccetta, row, 3);
    ++row;
    TxtCosto = edit(QStringLiteral("TxtCosto"));
    {
        QFont f = TxtCosto->font();
        f.setBold(true);
        TxtCosto->setFont(f);
    }
    campo(TxtCosto, QStringLiteral("Prezzo di Vendita:"), 0);
    txtPesoConf = edit(QStringLiteral("txtPesoConf"));
    campo(txtPesoConf, QStringLiteral("Peso Confezione (gr - ml)"), 1);
    ++row;

    // Hidden members that no user sees; their values still travel with the article.
    AppCodeModifica = edit(QStringLiteral("AppCodeModifica"));
    txtRicarico = edit(QStringLiteral("txtRicarico"));
    cbTaglie = named(new QComboBox(Frame1), QStringLiteral("cbTaglie"));
    cbColore = named(new QComboBox(Frame1), QStringLiteral("cbColore"));
    for (QComboBox* c : {cbTaglie, cbColore})
        c->setEditable(true);
    for (QWidget* w : std::initializer_list<QWidget*>{AppCodeModifica, txtRicarico, cbTaglie, cbColore})
        w->hide();

    Label1 = named(new QLabel(QStringLiteral("E' indispensabile riempire tutti i campi sopra elencati ! "), Frame1),
                   QStringLiteral("Label1"));
    grid->addWidget(Label1, row++, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    // Extra barcodes, hidden until opened.
    frBarCodeAlternativi =
        named(new QGroupBox(QStringLiteral("BarCode alternativi"), this), QStringLiteral("frBarCodeAlternativi"));
    auto* bcl = new QVBoxLayout(frBarCodeAlternativi);
    lblCercaBarCode = named(new QLineEdit(frBarCodeAlternativi), QStringLiteral("lblCercaBarCode"),
                            QStringLiteral("BarCode da aggiungere"));
    bcl->addWidget(lblCercaBarCode);
    lstElencoBarCode = named(new QTableWidget(BarCodeUlteriori::kRighe, 1, frBarCodeAlternativi),
                             QStringLiteral("lstElencoBarCode"), QStringLiteral("BarCode alternativi"));
    lstElencoBarCode->horizontalHeader()->hide();
    lstElencoBarCode->horizontalHeader()->setStretchLastSection(true);
    lstElencoBarCode->setColumnWidth(0, twips(2300));
    lstElencoBarCode->setItemDelegate(new CasellaDelegate(lstElencoBarCode));
    lstElencoBarCode->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                                      QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                      QAbstractItemView::AnyKeyPressed);
    lstElencoBarCode->setSelectionMode(QAbstractItemView::SingleSelection);
    bcl->addWidget(lstElencoBarCode);
    cmdNascondi =
        named(new QPushButton(QStringLiteral("Salva e chiudi"), frBarCodeAlternativi), QStringLiteral("cmdNascondi"));
    bcl->addWidget(cmdNascondi);
    frBarCodeAlternativi->hide();
    root->addWidget(frBarCodeAlternativi, 1);

    auto* buttons = new QHBoxLayout;
    CmdConferma = named(new QPushButton(QStringLiteral("&Conferma"), this), QStringLiteral("CmdConferma"));
    cmdAnnulla = named(new QPushButton(QStringLiteral("Annulla"), this), QStringLiteral("cmdAnnulla"));
    cmdAggiungi = named(new QPushButton(QStringLiteral("Aggiungi"), this), QStringLiteral("cmdAggiungi"));
    cmdAggiungi->hide();
    cmdBCAlternativi =
        named(new QPushButton(QStringLiteral("BarCode alternativi"), this), QStringLiteral("cmdBCAlternativi"));
    cmdTastieraVirtual = named(new QPushButton(QStringLiteral("TV"), this), QStringLiteral("cmdTastieraVirtual"),
                               QStringLiteral("Tastiera virtuale"));
    buttons->addWidget(cmdBCAlternativi);
    buttons->addWidget(cmdTastieraVirtual);
    buttons->addStretch(1);
    buttons->addWidget(CmdConferma);
    buttons->addWidget(cmdAnnulla);
    buttons->addWidget(cmdAggiungi);
    root->addLayout(buttons);

    MSComm1 = new QSerialPort(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));

    connect(CmdConferma, &QPushButton::clicked, this, &AggiungiMateriale::CmdConferma_Click);
    connect(cmdAccetta, &QPushButton::clicked, this, &AggiungiMateriale::cmdAccetta_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &AggiungiMateriale::cmdAnnulla_Click);
    connect(cmdBCAlternativi, &QPushButton::clicked, this, &AggiungiMateriale::cmdBCAlternativi_Click);
    connect(cmdNascondi, &QPushButton::clicked, this, &AggiungiMateriale::cmdNascondi_Click);
    connect(cmdTastieraVirtual, &QPushButton::clicked, this, &AggiungiMateriale::cmdTastieraVirtual_Click);
    connect(MSComm1, &QSerialPort::readyRead, this, &AggiungiMateriale::MSComm1_OnComm);
    connect(CboGenere, &QComboBox::currentIndexChanged, this, [this] {
        if (m_riempimento)
            return; // showing an article must not change its stored VAT
        CaricaIvaReparto();
        if (TxtQTA->isVisible())
            TxtQTA->setFocus();
    });
    TxtDesc->installEventFilter(this);
    CboFornitore->installEventFilter(this);
    if (CboFornitore->lineEdit())
        CboFornitore->lineEdit()->installEventFilter(this);
    collegaPrezzi();
    collegaTasti();
    resize(760, sizeHint().height());
}

QLineEdit* AggiungiMateriale::casella(Campo c) const
{
    switch (c) {
    case Campo::Acquisto:
        return txtAcquisto;
    case Campo::Iva:
        return txtIVA;
    case Campo::AcquistoConIva:
        return txtAcquistoConIVA;
    case Campo::PrezzoPubblico:
        return txtPrezzoPubblico;
    case Campo::RicaricoCalcolato:
        return txtRicaricoCalcolato;
    case Campo::Ricarico:
        return txtRicarico;
    case Campo::Costo:
        return TxtCosto;
    }
    return nullptr;
}

void AggiungiMateriale::scritto(Campo c, const QString& text)
{
    m_scriveModello = true;
    casella(c)->setText(text);
    m_scriveModello = false;
}

void AggiungiMateriale::ivaMancante()
{
    Msg::info(QStringLiteral("IMPOSTARE ALIQUOTA IVA - Verificare"));
}

void AggiungiMateriale::collegaPrezzi()
{
    for (Campo c : {Campo::Acquisto, Campo::Iva, Campo::AcquistoConIva, Campo::PrezzoPubblico, Campo::RicaricoCalcolato,
                    Campo::Ricarico, Campo::Costo}) {
        connect(casella(c), &QLineEdit::textChanged, this, [this, c](const QString& t) {
            if (!m_scriveModello)
                m_prezzi.cambia(c, t);
        });
    }
}

void AggiungiMateriale::collegaTasti()
{
    const auto avanti = [](QLineEdit* box, QWidget* next, bool numerico) {
        KeyPressFilter::install(box, [box, next, numerico](int k) {
            if (k == 13) {
                if (next)
                    next->setFocus();
                return 0;
            }
            return numerico ? ArticleRules::filtroDecimale(k, box->text()) : k;
        });
    };
    KeyPressFilter::install(TxtDesc, [this](int k) {
        if (k == 13) {
            CboGenere->setFocus();
            return 0;
        }
        CmdConferma->setEnabled(true);
        return k;
    });
    avanti(txtCodArtFornitore, LbLBarCode, false);
    avanti(LbLBarCode, TxtDesc, false);
    avanti(TxtQTA, txtAcquisto, true);
    avanti(txtAcquisto, txtIVA, true);
    avanti(txtIVA, TxtCosto, true);
    for (QLineEdit* e : {TxtCosto, txtPrezzoPubblico, txtRicaricoCalcolato, txtRicarico})
        avanti(e, nullptr, true);
    KeyPressFilter::install(txtPesoConf, [](int k) { return k == 13 ? 0 : FiltraTasto(k, 3); });
    KeyPressFilter::install(CboGenere, [this](int k) {
        if (k == 13 && TxtQTA->isVisible())
            TxtQTA->setFocus();
        return k;
    });
    KeyPressFilter::install(lblCercaBarCode, [this](int k) {
        if (k == 13 || k == 27) {
            AggiungiBarCodeAlternativo(lblCercaBarCode->text());
            lblCercaBarCode->clear();
            lblCercaBarCode->setFocus();
            return 0;
        }
        return k;
    });
}

bool AggiungiMateriale::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == TxtDesc) {
            const QString pulita = ArticleRules::pulisciDescrizione(TxtDesc->text());
            if (pulita != TxtDesc->text())
                TxtDesc->setText(pulita);
        } else if (watched == CboFornitore || watched == CboFornitore->lineEdit()) {
            QString t = CboFornitore->currentText();
            if (t.contains(QLatin1Char('\''))) {
                t.replace(QLatin1Char('\''), QLatin1Char(' '));
                CboFornitore->setEditText(t);
            }
        }
    }
    return FormBase::eventFilter(watched, event);
}

void AggiungiMateriale::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    RegLink::ApriPortaBarCodeProdotti(*MSComm1);
    m_elenchiLetti = CaricaGeneri() && CaricaFornitori();
    CaricaUnitaMisura();
    Attesa(650, InputUtente::Trattenuto);
}

void AggiungiMateriale::formActivate()
{
    if (!app().testoStato.isEmpty())
        setWindowTitle(app().testoStato);
    for (QWidget* w : std::initializer_list<QWidget*>{this, Frame1, Label9})
        setBackground(w, app().coloreSfondo);
}

void AggiungiMateriale::formUnload()
{
    if (MSComm1->isOpen())
        MSComm1->close();
}

void AggiungiMateriale::CaricaUnitaMisura()
{
    txtUm->clear();
    txtUm->addItems(Config::UnitaMisura::elenco());
}

bool AggiungiMateriale::CaricaGeneri()
{
    m_riempimento = true;
    CboGenere->clear();
    const Letto<QStringList> generi = ArticleRules::generi();
    if (generi.ok)
        CboGenere->addItems(*generi.valore);
    CboGenere->setCurrentIndex(-1);
    m_riempimento = false;
    if (!generi.ok)
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura dei reparti non riuscita"));
    return generi.ok;
}

bool AggiungiMateriale::CaricaFornitori()
{
    CboFornitore->clear();
    const Letto<QStringList> fornitori = ArticleRules::fornitori();
    if (fornitori.ok)
        CboFornitore->addItems(*fornitori.valore);
    CboFornitore->setCurrentIndex(-1);
    CboFornitore->setEditText(QString());
    if (!fornitori.ok)
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura dei fornitori non riuscita"));
    return fornitori.ok;
}

void AggiungiMateriale::CaricaIvaReparto()
{
    const QString t = CboGenere->currentText();
    if (t.isEmpty()) {
        txtIVA->setText(QStringLiteral("0"));
        return;
    }
    const int h = t.indexOf(QLatin1Char('#'));
    const QString descrizione = (h < 0 ? QString() : t.mid(h + 1)).trimmed();
    const Letto<double> iva = Articoli::ivaRepartoPerDescrizione(descrizione);
    if (!iva.ok)
        return;
    if (!iva.valore) {
        txtIVA->setText(QStringLiteral("0"));
        return;
    }
    if (txtIVA->text().isEmpty() || txtIVA->text() == QLatin1String("0"))
        txtIVA->setText(Vb::cstr(*iva.valore));
}

AggiungiMateriale::Preparazione AggiungiMateriale::PreparaPerModifica(const QString& codice)
{
    return riempi(codice);
}

AggiungiMateriale::Preparazione AggiungiMateriale::PreparaPerModificaDaRecordset(const QString& codice)
{
    cmdAggiungi->setEnabled(false);
    return riempi(codice);
}

AggiungiMateriale::Preparazione AggiungiMateriale::riempi(const QString& codice)
{
    load();
    Frame1->setTitle(kModifica);
    if (!m_elenchiLetti)
        return Preparazione::NonLetta;
    const Letto<ArticoloEditor> letto = ArticleRules::carica(codice);
    if (!letto.ok) {
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura del PLU non riuscita"));
        return Preparazione::NonLetta;
    }
    const std::optional<ArticoloEditor>& a = letto.valore;
    if (!a) {
        ScriviErrore(objectName(), QStringLiteral("PreparaPerModifica"), VbErr::InvalidUseOfNull, codice);
        return Preparazione::Assente;
    }
    m_riempimento = true;
    TxtDesc->setText(a->descrizione);
    TxtQTA->setText(a->quantita);
    txtIVA->setText(a->iva);
    selezionaUnita(txtUm, a->unita);
    TxtCosto->setText(a->costo);
    txtPrezzoPubblico->setText(a->costo);
    AppCodeModifica->setText(codice.trimmed());
    seleziona(cbTaglie, a->taglia);
    seleziona(cbColore, a->colore);
    LbLBarCode->setText(a->barCode);
    txtCodArtFornitore->setText(a->codFornitore);
    // Genere holds a code or a description: either finds its department.
    for (int i = 0; i < CboGenere->count(); ++i) {
        const QString item = CboGenere->itemText(i);
        const int h = item.indexOf(QLatin1Char('#'));
        const bool perCodice = !a->genere.isEmpty() && Vb::isNumeric(a->genere);
        const bool trovato = perCodice ? item.left(h) == a->genere.trimmed()
                                       : item.mid(h + 1).compare(a->genere, Qt::CaseInsensitive) == 0;
        if (trovato) {
            CboGenere->setCurrentIndex(i);
            break;
        }
    }
    const int f = a->fornitore.isEmpty() ? -1 : CboFornitore->findText(a->fornitore, Qt::MatchExactly);
    if (f >= 0)
        CboFornitore->setCurrentIndex(f);
    txtAcquisto->setText(a->acquisto);
    txtPesoConf->setText(a->pesoConf);
    m_riempimento = false;
    CmdConferma->setEnabled(true);
    return Preparazione::Pronta;
}

bool AggiungiMateriale::isModifica() const
{
    return Frame1->title() == kModifica;
}

QString AggiungiMateriale::ControlloCampi()
{
    ArticoloEditor a;
    a.descrizione = TxtDesc->text();
    a.quantita = TxtQTA->text();
    a.acquisto = txtAcquisto->text();
    a.unita = txtUm->currentText();
    a.reparto = CboGenere->currentText();
    a.fornitore = CboFornitore->currentText();
    a.costo = TxtCosto->text();
    a.iva = txtIVA->text();
    a.barCode = LbLBarCode->text();
    a.codFornitore = txtCodArtFornitore->text();
    const auto v = ArticleRules::verifica(a, isModifica() ? AppCodeModifica->text() : QString());
    const auto focus = [this](ArticleRules::Campo c) {
        QWidget* w = nullptr;
        switch (c) {
        case ArticleRules::Campo::Desc:
            w = TxtDesc;
            break;
        case ArticleRules::Campo::Qta:
            w = TxtQTA;
            break;
        case ArticleRules::Campo::Acquisto:
            w = txtAcquisto;
            break;
        case ArticleRules::Campo::Um:
            w = txtUm;
            break;
        case ArticleRules::Campo::Genere:
            w = CboGenere;
            break;
        case ArticleRules::Campo::Fornitore:
            w = CboFornitore;
            break;
        case ArticleRules::Campo::Costo:
            w = TxtCosto;
            break;
        case ArticleRules::Campo::Iva:
            w = txtIVA;
            break;
        case ArticleRules::Campo::CodFornitore:
            w = txtCodArtFornitore;
            break;
        case ArticleRules::Campo::Nessuno:
            break;
        }
        if (w)
            w->setFocus();
    };
    switch (v.esito) {
    case ArticleRules::Verifica::Ok:
        return QStringLiteral("Ok");
    case ArticleRules::Verifica::CampoVuoto:
        focus(v.campo);
        return QStringLiteral("NOK");
    case ArticleRules::Verifica::NonNumerico:
        Msg::box(v.messaggio, QMessageBox::Ok, QMessageBox::Warning);
        focus(v.campo);
        return QStringLiteral("NOK");
    case ArticleRules::Verifica::BarCodeDoppio:
        Msg::box(v.messaggio, QMessageBox::Ok, QMessageBox::Warning);
        return QStringLiteral("NOK");
    case ArticleRules::Verifica::ChiediCodFornitore:
        if (Msg::yesNo(v.messaggio))
            return QStringLiteral("Ok");
        focus(v.campo);
        return QStringLiteral("NOK");
    case ArticleRules::Verifica::Errore:
        // The data could not be checked: the reason, when the user can act on it, is what to say.
        if (!v.messaggio.isEmpty()) {
            Msg::box(v.messaggio, QMessageBox::Ok, QMessageBox::Warning);
            return kMotivoDetto;
        }
        break;
    }
    return {};
}

Esito AggiungiMateriale::SalvaDatiMateriale()
{
    ArticoloEditor a;
    a.descrizione = TxtDesc->text();
    a.quantita = TxtQTA->text();
    a.costo = TxtCosto->text();
    a.unita = txtUm->currentText();
    a.reparto = CboGenere->currentText();
    a.fornitore = CboFornitore->currentText();
    a.taglia = cbTaglie->currentText();
    a.colore = cbColore->currentText();
    a.pesoConf = txtPesoConf->text();
    a.barCode = LbLBarCode->text();
    a.acquisto = txtAcquisto->text();
    a.codFornitore = txtCodArtFornitore->text();
    a.iva = txtIVA->text();
    QString codice;
    const Esito e = ArticleRules::salva(a, isModifica() ? AppCodeModifica->text() : QString(), &codice);
    if (!e)
        return e;
    // From now on the editor holds a stored article: a second confirm rewrites it.
    AppCodeModifica->setText(codice);
    Frame1->setTitle(kModifica);
    return e;
}

void AggiungiMateriale::CmdConferma_Click()
{
    const QString controllo = ControlloCampi();
    if (controllo != QLatin1String("Ok")) {
        if (controllo != kMotivoDetto)
            Msg::info(QStringLiteral("Prego verificare tutti i dati e riprovare"));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    app().saltaAggiornamento = true;
    const Esito salvato = SalvaDatiMateriale();
    if (!salvato) {
        QApplication::restoreOverrideCursor();
        Msg::warn(Db::perUtente(
            salvato, QStringLiteral("ATTENZIONE! Salvataggio del PLU non riuscito - Verificare i dati e riprovare")));
        return;
    }
    m_archivio.ricaricaTutti(ArchivioCallbacks::Ordine::PerDescrizione);
    m_archivio.spuntaModificati();
    QApplication::restoreOverrideCursor();
    if (!cmdAggiungi->isEnabled())
        unload();
}

void AggiungiMateriale::cmdAccetta_Click()
{
    TxtCosto->setText(txtPrezzoPubblico->text());
    txtRicarico->setText(txtRicaricoCalcolato->text());
}

void AggiungiMateriale::cmdAnnulla_Click()
{
    app().saltaAggiornamento = true;
    unload();
}

void AggiungiMateriale::cmdTastieraVirtual_Click()
{
    frmTastiera::apriPer(9, this, QStringLiteral("CboFornitore"), false);
}

void AggiungiMateriale::cmdBCAlternativi_Click()
{
    if (frBarCodeAlternativi->isVisible()) {
        ScaricaCaselleTesto();
        frBarCodeAlternativi->hide();
        return;
    }
    if (LbLBarCode->text().isEmpty()) {
        Msg::info(QStringLiteral(
            "Immettere un Codice a Barre del prodotto nella relativa casella rossa prima di proseguire"));
        return;
    }
    if (AppCodeModifica->text().isEmpty()) {
        Msg::info(QStringLiteral("Confermare prima i dati inseriti"));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Letto<QStringList> letti = BarCodeUlteriori::carica(AppCodeModifica->text());
    m_barCodeLetti = letti.ok;
    if (!letti.ok) {
        QApplication::restoreOverrideCursor();
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura dei BarCode alternativi non riuscita"));
        return;
    }
    const QStringList rows = *letti.valore;
    for (int r = 0; r < BarCodeUlteriori::kRighe; ++r)
        lstElencoBarCode->setItem(r, 0, new QTableWidgetItem(r < rows.size() ? rows.at(r) : QString()));
    lstElencoBarCode->setCurrentCell(-1, -1);
    frBarCodeAlternativi->show();
    resize(width(), qMax(height(), sizeHint().height()));
    centraSuSchermo(this); // grown by the panel: its lower buttons stay on the screen
    QApplication::restoreOverrideCursor();
    lblCercaBarCode->setFocus();
}

void AggiungiMateriale::cmdNascondi_Click()
{
    if (AppCodeModifica->text().isEmpty()) {
        Msg::info(QStringLiteral("Premere il Conferma principale prima di proseguire - Operazione interrotta"));
        return;
    }
    if (!m_barCodeLetti) { // what the grid shows is not what is stored: nothing to write back
        frBarCodeAlternativi->hide();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ScaricaCaselleTesto();
    const Esito e = BarCodeUlteriori::registra(AppCodeModifica->text(), AppCodeModifica->text(), celleBarCode());
    QApplication::restoreOverrideCursor();
    if (!e) {
        Msg::warn(QStringLiteral("ATTENZIONE! Salvataggio dei BarCode alternativi non riuscito"));
        return;
    }
    m_barCodeLetti = false;
    frBarCodeAlternativi->hide();
}

QStringList AggiungiMateriale::celleBarCode() const
{
    QStringList out;
    for (int r = 0; r < lstElencoBarCode->rowCount(); ++r) {
        const QTableWidgetItem* it = lstElencoBarCode->item(r, 0);
        out << (it ? it->text() : QString());
    }
    return out;
}

void AggiungiMateriale::AggiungiBarCodeAlternativo(const QString& code)
{
    QStringList celle = celleBarCode();
    const int r = BarCodeUlteriori::aggiungi(celle, code, LbLBarCode->text());
    if (r < 0)
        return;
    if (QTableWidgetItem* it = lstElencoBarCode->item(r, 0))
        it->setText(code);
    else
        lstElencoBarCode->setItem(r, 0, new QTableWidgetItem(code));
}

void AggiungiMateriale::ScaricaCaselleTesto()
{
    // Leaving the current cell commits and closes its edit box.
    lstElencoBarCode->setCurrentIndex(QModelIndex());
}

void AggiungiMateriale::MSComm1_OnComm()
{
    ricevutiDalloScanner(TextFile::decode(MSComm1->readAll()));
}

void AggiungiMateriale::ricevutiDalloScanner(const QString& dati)
{
    LbLBarCode->setVisible(true);
    bool traboccato = false;
    const QStringList codici = m_bufferScanner.aggiungi(dati, &traboccato);
    for (const QString& c : codici) {
        LbLBarCode->setText(c);
        if (MSComm1->isOpen())
            MSComm1->write("\r\n");
    }
    if (traboccato)
        Msg::info(QStringLiteral("ATTENZIONE!!! Non impostato nello scanner il carattere finale (CR e/o LF) che chiude "
                                 "il codice a barre"));
}

// --- the article window's buttons -------------------------------------------------------------

void Aggiungi_Click(ArchivioCallbacks& cb)
{
    const std::weak_ptr<const bool> archivio = cb.vita();
    AggiungiMateriale* ed = Forms::carica<AggiungiMateriale>(cb);
    if (!ed || archivio.expired())
        return;
    if (!ed->elenchiLetti()) {
        ed->unload();
        return;
    }
    ed->cmdAggiungi->setEnabled(false);
    seleziona(ed->txtUm, QStringLiteral("Pz"));
    ed->TxtQTA->setText(QStringLiteral("0"));
    if (ed->CboFornitore->count() > 0)
        ed->CboFornitore->setCurrentIndex(0);
    ed->showModal();
    if (!archivio.expired())
        cb.ricaricaTutti(ArchivioCallbacks::Ordine::PerCodice);
}

void Modifica_Click(const QString& codiceSelezionato, ArchivioCallbacks& cb)
{
    const std::weak_ptr<const bool> archivio = cb.vita();
    const auto fine = [&cb, archivio] {
        if (!archivio.expired())
            cb.focusRicBarCode();
    };
    if (codiceSelezionato.trimmed().isEmpty()) {
        Msg::info(QStringLiteral("Nessun PLU selezionato"));
        fine();
        return;
    }
    if (Msg::box(QStringLiteral("Eliminare il PLU?"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                 QMessageBox::No) != QMessageBox::Yes) {
        QPointer<AggiungiMateriale> ed = Forms::carica<AggiungiMateriale>(cb);
        if (!ed || archivio.expired())
            return;
        ed->cmdAggiungi->setEnabled(false);
        const AggiungiMateriale::Preparazione p = ed->PreparaPerModifica(codiceSelezionato);
        if (!ed)
            return;
        if (p == AggiungiMateriale::Preparazione::Pronta) {
            ed->showModal();
        } else {
            ed->unload();
            if (p == AggiungiMateriale::Preparazione::Assente)
                Msg::info(QStringLiteral("PLU non trovato"));
        }
        fine();
        return;
    }
    if (Msg::box(QStringLiteral("Sicuro di procedere alla cancellazione del PLU e di tutti i dati ad esso associati?"),
                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::No) != QMessageBox::Yes) {
        fine();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Esito e = ArticleRules::elimina(codiceSelezionato);
    if (e)
        cb.ripetiRicerca();
    QApplication::restoreOverrideCursor();
    if (!e)
        Msg::warn(QStringLiteral("ATTENZIONE! Cancellazione del PLU non riuscita"));
    fine();
}
