#include "labels/ui/frmConfiguraLabel.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Lookups.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/config/Etichetta.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Printers.h"
#include "core/ui/Ui.h"
#include "labels/DisegnoEtichette.h"
#include "labels/ModuloEAN.h"
#include "labels/ui/frmPreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDialog>
#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QString kEan = QStringLiteral("Code EAN13");

QPushButton* pulsante(QWidget* parent, const QString& nome, const QString& testo)
{
    auto* b = named(new QPushButton(testo, parent), nome);
    b->setMinimumHeight(30);
    b->setAutoDefault(false);
    return b;
}

QFont fontQt(const FontEtichetta& f)
{
    QFont q(f.nome);
    q.setPointSizeF(f.dimensione > 0 ? f.dimensione : 8.25);
    q.setBold(f.grassetto);
    q.setItalic(f.corsivo);
    q.setUnderline(f.sottolineato);
    q.setStrikeOut(f.barrato);
    return q;
}

// The icon the picture element shows and prints.
QImage iconaEtichetta()
{
    return QApplication::style()->standardIcon(QStyle::SP_FileDialogInfoView).pixmap(64, 64).toImage();
}

} // namespace

std::optional<FontEtichetta> DialogoFont::scegli(QWidget* parent, const FontEtichetta& precedente)
{
    bool ok = false;
    const QFont q = QFontDialog::getFont(&ok, fontQt(precedente), parent, QStringLiteral("Carattere"));
    if (!ok)
        return std::nullopt;
    FontEtichetta f = precedente;
    f.nome = q.family();
    f.dimensione = q.pointSizeF();
    f.grassetto = q.bold();
    f.corsivo = q.italic();
    f.sottolineato = q.underline();
    f.barrato = q.strikeOut();
    return f;
}

ElementoEtichetta::ElementoEtichetta(QWidget* parent, const QString& nome) : QWidget(parent)
{
    named(this, nome);
}

void ElementoEtichetta::imposta(const QString& testo, const FontEtichetta& font)
{
    m_testo = testo;
    m_font = font;
    dimensiona();
}

void ElementoEtichetta::mostraCampione(const QString& testoFont)
{
    if (testoFont == m_campione)
        return;
    m_campione = testoFont;
    dimensiona();
}

// Big enough for what the painter draws: the text's box, or the barcode's.
void ElementoEtichetta::dimensiona()
{
    QSizeF s = DisegnoEtichette::dimensioneBarcode(m_font, disegnato()) * (logicalDpiX() / 1440.0);
    if (s.isEmpty()) {
        const QFontMetricsF fm(fontQt(m_font), this);
        s = QSizeF(fm.horizontalAdvance(disegnato().isEmpty() ? QStringLiteral(" ") : disegnato()) + 2,
                   fm.height() + 1);
    }
    resize(qMax(8, int(std::ceil(s.width()))), qMax(8, int(std::ceil(s.height()))));
    update();
}

void ElementoEtichetta::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    DisegnoEtichette::disegnaTesto(p, logicalDpiX() / 1440.0, QPointF(0, 0), m_font, disegnato());
}

frmConfiguraLabel::frmConfiguraLabel(Interaction& interazione, ScegliFont& font, SceltaArticoli scelta,
                                     std::optional<Articoli::ArticoloElencato> riga, QWidget* parent)
    : FormBase(parent), m_interazione(interazione), m_sceltaFont(font), m_scelta(scelta), m_riga(std::move(riga))
{
    setWindowTitle(QStringLiteral("Configurazione Etichetta - Frontalino"));
    costruisci();
}

frmConfiguraLabel::~frmConfiguraLabel() = default;

double frmConfiguraLabel::pxPerTwip() const
{
    return superficie->logicalDpiX() / 1440.0;
}

void frmConfiguraLabel::costruisci()
{
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 6, 6);

    areaEtichetta = named(new QScrollArea(this), QStringLiteral("areaEtichetta"));
    areaEtichetta->setFrameShape(QFrame::NoFrame);
    superficie = named(new QWidget, QStringLiteral("superficie"));
    superficie->setAutoFillBackground(true);
    superficie->resize(2000, 1200);
    areaEtichetta->setWidget(superficie);
    areaEtichetta->setMinimumHeight(420);
    v->addWidget(areaEtichetta, 1);

    Shape1 = named(new QFrame(superficie), QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Shape1->move(0, 0);

    const std::array<const char*, kElementiTesto> nomi = {"lblRigaEti(0)", "lblRigaEti(1)", "lblRigaEti(2)",
                                                          "lblRigaEti(3)", "lblRigaEti(4)"};
    for (int i = 0; i < kElementiTesto; ++i) {
        lblRigaEti[i] = new ElementoEtichetta(superficie, QLatin1String(nomi[i]));
        lblRigaEti[i]->installEventFilter(this);
    }
    auto* icona = named(new QLabel(superficie), QStringLiteral("Picture1(0)"));
    icona->setScaledContents(true);
    icona->setPixmap(QPixmap::fromImage(iconaEtichetta()));
    icona->installEventFilter(this);
    Picture1 = icona;

    auto* sotto = new QHBoxLayout;
    sotto->setContentsMargins(6, 0, 0, 0);
    auto* impostazioni = new QGroupBox(QStringLiteral("Impostazioni"), this);
    auto* gi = new QHBoxLayout(impostazioni);
    auto* frCol = new QGroupBox(QStringLiteral("Col. x Pagina"), impostazioni);
    auto* frRighe = new QGroupBox(QStringLiteral("Righe x Pagina"), impostazioni);
    txtNumCol = named(new QLineEdit(QStringLiteral("3"), frCol), QStringLiteral("txtNumCol"));
    txtNumRighe = named(new QLineEdit(QStringLiteral("8"), frRighe), QStringLiteral("txtNumRighe"));
    (new QVBoxLayout(frCol))->addWidget(txtNumCol);
    (new QVBoxLayout(frRighe))->addWidget(txtNumRighe);
    gi->addWidget(frCol);
    gi->addWidget(frRighe);
    sotto->addWidget(impostazioni);

    auto* comandi = new QGroupBox(QStringLiteral("Comandi"), this);
    auto* gc = new QHBoxLayout(comandi);
    cmdAnteprima = pulsante(comandi, QStringLiteral("cmdAnteprima"), QStringLiteral("&Anteprima Etichette"));
    cmdSalva = pulsante(comandi, QStringLiteral("cmdSalva"), QStringLiteral("&Salva Impostazioni"));
    cmdChiudi = pulsante(comandi, QStringLiteral("cmdChiudi"), QStringLiteral("&Chiudi"));
    gc->addWidget(cmdAnteprima);
    gc->addWidget(cmdSalva);
    gc->addWidget(cmdChiudi);
    sotto->addWidget(comandi, 1);
    v->addLayout(sotto);

    auto* note = new QGroupBox(QStringLiteral("Note"), this);
    auto* gn = new QGridLayout(note);
    auto* t0 = named(new QLineEdit(QStringLiteral("1- Doppio Click sulle scritte per cambiare il Font"), note),
                     QStringLiteral("Text1(0)"));
    auto* t1 = named(new QLineEdit(QStringLiteral("2- Attivare \"Sposta Testo\" per posizionare a piacimento i dati "
                                                  "nell'etichetta"),
                                   note),
                     QStringLiteral("Text1(1)"));
    t0->setReadOnly(true);
    t1->setReadOnly(true);
    chkAllowDragging = named(new QCheckBox(QStringLiteral("Sposta &Testo"), note), QStringLiteral("chkAllowDragging"));
    Check1 = named(new QCheckBox(QStringLiteral("NO Icona"), note), QStringLiteral("Check1"));
    gn->addWidget(t0, 0, 0);
    gn->addWidget(chkAllowDragging, 0, 1);
    gn->addWidget(t1, 1, 0);
    gn->addWidget(Check1, 1, 1);
    auto* margineNote = new QHBoxLayout;
    margineNote->setContentsMargins(6, 0, 0, 0);
    margineNote->addWidget(note);
    v->addLayout(margineNote);

    KeyPressFilter::installMode(txtNumCol, 1);
    KeyPressFilter::installMode(txtNumRighe, 1);
    connect(txtNumCol, &QLineEdit::textChanged, this, [this] { conteggioCambiato(txtNumCol); });
    connect(txtNumRighe, &QLineEdit::textChanged, this, [this] { conteggioCambiato(txtNumRighe); });
    connect(Check1, &QCheckBox::toggled, this, &frmConfiguraLabel::Check1_Click);
    connect(cmdAnteprima, &QPushButton::clicked, this, &frmConfiguraLabel::cmdAnteprima_Click);
    connect(cmdSalva, &QPushButton::clicked, this, &frmConfiguraLabel::cmdSalva_Click);
    connect(cmdChiudi, &QPushButton::clicked, this, &frmConfiguraLabel::cmdChiudi_Click);
    resize(1000, 720);
}

void frmConfiguraLabel::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    FormatoEtichetta progetto = Formato::progetto();
    for (int i = 0; i < kElementiTesto; ++i)
        lblRigaEti[i]->imposta(QString(), progetto.font[i]);
    applica(progetto);
    m_didascalie = {QStringLiteral("Prz/Kg"), QStringLiteral("DES"), QStringLiteral("PRZ"), QString(),
                    QStringLiteral("BC")};
    CaricaDatiEtichetta();
    Attesa(650, InputUtente::Trattenuto);
}

void frmConfiguraLabel::posiziona(QWidget* w, const QPoint& twips)
{
    const double k = pxPerTwip();
    w->move(int(std::lround(twips.x() * k)), int(std::lround(twips.y() * k)));
}

QPoint frmConfiguraLabel::twipsDi(const QPoint& px) const
{
    const double k = pxPerTwip();
    return {int(std::lround(px.x() / k)), int(std::lround(px.y() / k))};
}

void frmConfiguraLabel::applica(const FormatoEtichetta& f)
{
    m_posizioni = f.posizione;
    m_posizioneIcona = f.posizioneIcona;
    for (int i = 0; i < kElementiTesto; ++i) {
        lblRigaEti[i]->imposta(lblRigaEti[i]->testo(), f.font[i]);
        posiziona(lblRigaEti[i], m_posizioni[i]);
    }
    const double k = pxPerTwip();
    Picture1->resize(int(std::lround(510 * k)), int(std::lround(510 * k)));
    posiziona(Picture1, m_posizioneIcona);
}

FormatoEtichetta frmConfiguraLabel::formato() const
{
    FormatoEtichetta f;
    // A box that the grid refused stores the grid in effect; an empty or 0 box stores 0.
    auto conteggio = [](const QLineEdit* box, int inUso) { return Vb::val(box->text()) == 0 ? 0 : inUso; };
    f.numCol = m_foglio ? conteggio(txtNumCol, m_foglio->maxCol()) : int(Vb::val(txtNumCol->text()));
    f.numRow = m_foglio ? conteggio(txtNumRighe, m_foglio->maxRow()) : int(Vb::val(txtNumRighe->text()));
    f.posizione = m_posizioni;
    f.posizioneIcona = m_posizioneIcona;
    for (int i = 0; i < kElementiTesto; ++i)
        f.font[i] = lblRigaEti[i]->font();
    return f;
}

void frmConfiguraLabel::CaricaDatiEtichetta()
{
    const Config::Etichetta cfg = Config::Etichetta::leggi();
    m_opzioni = {cfg.mostraBarcode, cfg.convertiInEAN8};
    m_didascalie[eliAttivita] = cfg.nomeAttivita;
    if (app().modoEtichette.isEmpty())
        app().modoEtichette = QStringLiteral("TOOLBAR");

    auto fontBarcode = [this] {
        FontEtichetta f = lblRigaEti[eliBarcode]->font();
        f.nome = kEan;
        f.dimensione = 22;
        lblRigaEti[eliBarcode]->imposta(lblRigaEti[eliBarcode]->testo(), f);
    };
    const bool griglia = app().modoEtichette == QLatin1String("GRIGLIA");
    if (app().modoEtichette == QLatin1String("TOOLBAR") || (griglia && !m_riga)) {
        // Placeholders (also when no row of the list is selected).
        m_didascalie[eliDescrizione] = QStringLiteral("DES");
        m_didascalie[eliPrezzo] = QStringLiteral("€ PRZ");
        m_didascalie[eliPrezzoKg] = QStringLiteral("Prz/Kg o LT");
        if (m_opzioni.convertiInEAN8 || m_opzioni.mostraBarcode)
            fontBarcode();
    } else if (griglia) {
        const Letto<qint64> marcati = Articoli::contaFrontaliniOModificati();
        if (marcati.ok && *marcati.valore == 0)
            app().modoEtichette = QStringLiteral("TOOLBAR");
        // The texts the article list shows for it.
        const Articoli::TestiArticolo r = Articoli::FormatoElenco().testi(*m_riga);
        m_didascalie[eliDescrizione] = r.descrizione.left(24).toUpper();
        m_didascalie[eliPrezzo] = QStringLiteral("€ ") + r.prezzoVendita;
        // Both numbers as the list shows them; one that is not a number gives no per-kg text.
        m_didascalie[eliPrezzoKg] = ArticoliEtichette::prezzoAlKg(r.prezzoVendita, r.pesoConf);
        if (m_opzioni.convertiInEAN8) {
            fontBarcode();
            m_didascalie[eliBarcode] = ModuloEAN::testoPerCodice(TrovaCodiceFornitore(r.codice));
        } else if (m_opzioni.mostraBarcode) {
            fontBarcode();
            m_didascalie[eliBarcode] = ModuloEAN::testoPerCodice(r.barCode);
        } else {
            m_didascalie[eliBarcode] = TrovaCodiceFornitore(r.codice);
        }
    }
    for (int i = 0; i < kElementiTesto; ++i)
        lblRigaEti[i]->imposta(m_didascalie[i], lblRigaEti[i]->font());
    CaricaFormatoEtichetta();
    ImpostaStampaEtichette();
}

void frmConfiguraLabel::CaricaFormatoEtichetta()
{
    FormatoEtichetta f = formato();
    f.numCol = -1;
    f.numRow = -1;
    if (!Formato::carica(f))
        return;
    applica(f);
    // Setting the boxes rebuilds the print set-up, as a typed change would.
    if (f.numCol >= 0)
        txtNumCol->setText(f.numCol == 0 ? QStringLiteral("3") : QString::number(f.numCol));
    if (f.numRow >= 0)
        txtNumRighe->setText(f.numRow == 0 ? QStringLiteral("8") : QString::number(f.numRow));
}

void frmConfiguraLabel::conteggioCambiato(QLineEdit* box)
{
    if (box->text().isEmpty())
        return;
    ImpostaStampaEtichette();
}

void frmConfiguraLabel::ImpostaStampaEtichette()
{
    if (!m_foglio) {
        m_foglio = std::make_unique<EasyPrint>();
        // The label printer's page, from the paper edge.
        if (const auto stampante = Printers::printerFor()) {
            stampante->setFullPage(true);
            m_foglio->setPagina(stampante->pageLayout());
        }
    }
    EasyPrint& e = *m_foglio;
    e.setScaleMode(EasyPrint::Centimetri);
    e.setMarginBottom(0);
    e.setMarginTop(0);
    e.setMarginLeft(0);
    e.setMarginRight(0);
    e.setLabelDistance(1);
    const double col = Vb::val(txtNumCol->text());
    const double righe = Vb::val(txtNumRighe->text());
    const int c = col == 0 ? 3 : (col > 0 && col <= 1000 ? int(col) : -1);
    const int r = righe == 0 ? 8 : (righe > 0 && righe <= 1000 ? int(righe) : -1);
    if (!(c == e.maxCol() && r == e.maxRow()) && !e.impostaGriglia(c, r))
        m_interazione.warn(QStringLiteral("Righe e colonne non valide: al massimo %1 etichette per pagina, "
                                          "ciascuna più grande di zero. Resta la griglia di %2 x %3.")
                               .arg(EasyPrint::kMaxEtichettePerFoglio)
                               .arg(e.maxCol())
                               .arg(e.maxRow()));
    // The labels: the chosen articles, else one sheet.
    const auto selezione = ArticoliEtichette::seleziona(app().modoEtichette, m_scelta);
    if (!selezione.ok)
        ScriviErrore(QStringLiteral("frmConfiguraLabel"), QStringLiteral("ImpostaStampaEtichette"),
                     VbErr::DatabaseError, selezione.errore);
    e.setLabelCopies(ArticoliEtichette::conteggio(selezione, e.etichettePerFoglio()));
    e.articoli = selezione.trovatoValore() ? *selezione.valore : QList<ArticoloEtichetta>{};
    e.setLabelInitCounter(1);
    aggiornaModello();
    // Where the labels print their articles' barcodes, the element shows one at its printed size,
    // so a layout the symbol does not fit is seen here; its caption stays what a cell without an
    // article prints.
    lblRigaEti[eliBarcode]->mostraCampione(e.modoGriglia ? QString()
                                                         : ArticoliEtichette::campioneBarcode(e.articoli, e.opzioni));
    const double k = pxPerTwip();
    Shape1->resize(int(std::lround(e.larghezzaTwips() * k)), int(std::lround(e.altezzaTwips() * k)));
    Shape1->lower();
    superficie->resize(qMax(Shape1->width() + 20, 980), qMax(Shape1->height() + 20, 400));
}

void frmConfiguraLabel::aggiornaModello()
{
    if (!m_foglio)
        return;
    ModelloEtichetta& m = m_foglio->modello;
    for (int i = 0; i < kElementiTesto; ++i)
        m.didascalia[i] = lblRigaEti[i]->testo();
    m.formato = formato();
    m.conIcona = !Check1->isChecked() && Picture1->isVisibleTo(this);
    m.icona = iconaEtichetta();
    m_foglio->modoGriglia = app().modoEtichette != QLatin1String("TOOLBAR");
    m_foglio->opzioni = m_opzioni;
}

void frmConfiguraLabel::Check1_Click()
{
    Picture1->setVisible(!Check1->isChecked());
    CaricaDatiEtichetta();
}

void frmConfiguraLabel::cmdAnteprima_Click()
{
    if (!m_foglio)
        ImpostaStampaEtichette();
    aggiornaModello();
    QPointer<frmPreview> p = new frmPreview(m_interazione, *m_foglio, this);
    m_anteprima = p.data();
    p->load();
    if (p)
        p->showModal();
}

void frmConfiguraLabel::cmdSalva_Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Attesa(250, InputUtente::Trattenuto);
    const Esito e = Formato::salva(formato());
    Attesa(750, InputUtente::Trattenuto);
    QApplication::restoreOverrideCursor();
    if (!e)
        m_interazione.error(QStringLiteral("Impostazioni dell'etichetta non salvate: ") + e.descrizione);
}

void frmConfiguraLabel::cmdChiudi_Click()
{
    unload();
}

void frmConfiguraLabel::formUnload()
{
    if (m_chiuso)
        return;
    m_chiuso = true;
    if (m_anteprima)
        m_anteprima->unload();
    m_foglio.reset();
    app().modoEtichette = QStringLiteral("TOOLBAR");
    app().saltaAggiornamento = true;
}

void frmConfiguraLabel::lblRigaEti_Click(int i)
{
    const FontEtichetta attuale = lblRigaEti[i]->font();
    const auto scelto = m_sceltaFont.scegli(this, m_ultimoFont.value_or(attuale));
    if (!scelto)
        return;
    m_ultimoFont = *scelto;
    FontEtichetta f = *scelto;
    f.colore = attuale.colore;
    lblRigaEti[i]->imposta(lblRigaEti[i]->testo(), f);
    aggiornaModello();
}

void frmConfiguraLabel::trascinaFine(QWidget* elemento, const QPoint& globale)
{
    const QPoint punto = superficie->mapFromGlobal(globale);
    if (!superficie->rect().contains(punto))
        return;
    // A drop on another element (or on the dragged one itself) moves nothing.
    QWidget* sotto = superficie->childAt(punto);
    if (sotto && sotto != Shape1)
        return;
    const QPoint nuovo = twipsDi(punto) - m_presa;
    if (elemento == Picture1) {
        m_posizioneIcona = nuovo;
    } else {
        for (int i = 0; i < kElementiTesto; ++i)
            if (lblRigaEti[i] == elemento)
                m_posizioni[i] = nuovo;
    }
    posiziona(elemento, nuovo);
    aggiornaModello();
}

bool frmConfiguraLabel::eventFilter(QObject* watched, QEvent* event)
{
    auto* w = qobject_cast<QWidget*>(watched);
    const bool elemento =
        w && (w == Picture1 || std::find(lblRigaEti.begin(), lblRigaEti.end(), w) != lblRigaEti.end());
    if (!elemento)
        return FormBase::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton && chkAllowDragging->isChecked()) {
            m_trascinato = w;
            m_presa = twipsDi(me->position().toPoint());
            w->setCursor(Qt::ClosedHandCursor);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::LeftButton)
            return false;
        if (m_trascinato == w) {
            m_trascinato = nullptr;
            w->unsetCursor();
            trascinaFine(w, me->globalPosition().toPoint());
            return true;
        }
        if (w != Picture1 && w->rect().contains(me->position().toPoint())) {
            for (int i = 0; i < kElementiTesto; ++i)
                if (lblRigaEti[i] == w)
                    lblRigaEti_Click(i);
            return true;
        }
    }
    return false;
}

frmPreview* frmConfiguraLabel::anteprima() const
{
    return m_anteprima.data();
}
