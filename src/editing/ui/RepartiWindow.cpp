#include "editing/ui/RepartiWindow.h"

#include "core/AppState.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Ui.h"
#include "editing/ArticleRules.h"
#include "editing/Reparti.h"
#include "reglink/RegisterLine.h"
#include "reglink/TrasferimentoReparti.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kFalse = QStringLiteral("False");
const QString kTrue = QStringLiteral("True");

// The boxes stop taking characters at their length; a longer stored text is still shown whole.
void limita(QLineEdit* box, int massimo, const std::function<int(int)>& regola)
{
    KeyPressFilter::install(box, [box, massimo, regola](int k) {
        if (k != 8 && box->text().size() >= massimo && !box->hasSelectedText())
            return 0;
        return regola ? regola(k) : k;
    });
}

QMessageBox::StandardButton messaggio(const QString& testo, QMessageBox::StandardButtons b = QMessageBox::Ok)
{
    // These checks carry the default application title.
    return Msg::box(testo, b, QMessageBox::NoIcon, QMessageBox::NoButton, QApplication::applicationName());
}

} // namespace

RepartiWindow::RepartiWindow(ArchivioCallbacks& archivio, QWidget* parent)
    : FormBase(parent), m_archivio(archivio), m_vitaArchivio(archivio.vita())
{
    setObjectName(QStringLiteral("Reparti"));
    setAccessibleDescription(QStringLiteral("Reparti"));
    setWindowTitle(app().titoloProgramma);
    auto* root = new QVBoxLayout(this);

    Reparti = named(new QLabel(QStringLiteral("- Gestione Reparti -"), this), QStringLiteral("Reparti"));
    Reparti->setAlignment(Qt::AlignCenter);
    QFont big = Reparti->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    Reparti->setFont(big);
    root->addWidget(Reparti);

    auto* body = new QHBoxLayout;
    root->addLayout(body, 1);
    auto* left = new QVBoxLayout;
    body->addLayout(left, 3);
    Label3 = named(new QLabel(QStringLiteral("Reparti:"), this), QStringLiteral("Label3"));
    left->addWidget(Label3);
    ListReparti = named(new QTableWidget(0, 6, this), QStringLiteral("ListReparti"), QStringLiteral("Reparti:"));
    ListReparti->setHorizontalHeaderLabels({QStringLiteral("Reparto"), QStringLiteral("Descrizione"),
                                            QStringLiteral("Iva"), QStringLiteral("PrezzoUni"),
                                            QStringLiteral("Sconto Uni"), QStringLiteral("Icona")});
    ListReparti->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListReparti->setSelectionMode(QAbstractItemView::SingleSelection);
    ListReparti->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListReparti->verticalHeader()->hide();
    ListReparti->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListReparti->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    ListReparti->verticalHeader()->setDefaultSectionSize(ListReparti->fontMetrics().height() + 8);
    left->addWidget(ListReparti, 1);
    Label3->setBuddy(ListReparti);

    auto* right = new QVBoxLayout;
    body->addLayout(right, 2);
    Frame1 = named(new QGroupBox(QStringLiteral("Parametri Reparto"), this), QStringLiteral("Frame1"));
    Frame1->setEnabled(false);
    auto* g = new QGridLayout(Frame1);
    int row = 0;
    const auto campo = [&](QWidget* w, const QString& caption) {
        auto* l = new QLabel(caption, Frame1);
        l->setBuddy(w);
        w->setAccessibleName(caption);
        g->addWidget(l, row, 0);
        g->addWidget(w, row++, 1);
    };
    NomeReparto = named(new QLineEdit(Frame1), QStringLiteral("NomeReparto"));
    campo(NomeReparto, QStringLiteral("Nome Reparto (Max 16 caratteri)"));
    Iva = named(new QLineEdit(Frame1), QStringLiteral("Iva"));
    campo(Iva, QStringLiteral("Iva al Reparto"));
    txtValoreReparto = named(new QLineEdit(Frame1), QStringLiteral("txtValoreReparto"));
    campo(txtValoreReparto, QStringLiteral("Valore Reparto"));
    ckPrezzoZero = named(new QCheckBox(QStringLiteral("Prezzo Zero"), Frame1), QStringLiteral("ckPrezzoZero"));
    g->addWidget(ckPrezzoZero, row++, 1);
    Fiscale = named(new QCheckBox(QStringLiteral("Non Fiscale"), Frame1), QStringLiteral("Fiscale"));
    g->addWidget(Fiscale, row++, 1);

    // Hidden controls: nothing shows them, the procedures still fill and read them.
    Prezzo = named(new QLineEdit(Frame1), QStringLiteral("Prezzo"), QStringLiteral("Prezzo Prefissato"));
    Prezzo->setEnabled(false);
    Check1 = named(new QCheckBox(QStringLiteral("Prezzo Prefissato"), Frame1), QStringLiteral("Check1"));
    Sconto = named(new QLineEdit(Frame1), QStringLiteral("Sconto"), QStringLiteral("Sconto Automatico (%)"));
    Sconto->setEnabled(false);
    Check2 = named(new QCheckBox(QStringLiteral("Sconto Automatico (%)"), Frame1), QStringLiteral("Check2"));
    Check3 = named(new QCheckBox(QStringLiteral("Icona"), Frame1), QStringLiteral("Check3"));
    FrameIcona = named(new QGroupBox(QStringLiteral("Icona"), Frame1), QStringLiteral("FrameIcona"));
    auto* fi = new QVBoxLayout(FrameIcona);
    Dir1 = named(new QLineEdit(FrameIcona), QStringLiteral("Dir1"), QStringLiteral("Dir:"));
    File1 = named(new QListWidget(FrameIcona), QStringLiteral("File1"), QStringLiteral("Files:"));
    Image1 = named(new QLabel(FrameIcona), QStringLiteral("Image1"));
    fi->addWidget(Dir1);
    fi->addWidget(File1);
    fi->addWidget(Image1);
    EsistenzaFigura = named(new QLineEdit(kFalse, Frame1), QStringLiteral("EsistenzaFigura"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{Prezzo, Check1, Sconto, Check2, Check3, FrameIcona, EsistenzaFigura})
        w->hide();

    auto* fb = new QHBoxLayout;
    Conferma = named(new QPushButton(QStringLiteral("Conferma"), Frame1), QStringLiteral("Conferma"));
    Annulla = named(new QPushButton(QStringLiteral("Annulla"), Frame1), QStringLiteral("Annulla"));
    fb->addWidget(Conferma);
    fb->addWidget(Annulla);
    g->addLayout(fb, row++, 0, 1, 2);
    g->setRowStretch(row, 1);
    right->addWidget(Frame1, 1);

    frAvviso = named(new QGroupBox(QStringLiteral("Avviso"), this), QStringLiteral("frAvviso"));
    auto* fa = new QVBoxLayout(frAvviso);
    lblAvviso = named(new QLabel(QStringLiteral("ATTENDERE... INVIO IN CORSO"), frAvviso), QStringLiteral("lblAvviso"));
    fa->addWidget(lblAvviso);
    frAvviso->hide();
    right->addWidget(frAvviso);

    auto* buttons = new QHBoxLayout;
    const QString captions[3] = {QStringLiteral("Modifica Reparto"), QStringLiteral("Azzera Reparto"),
                                 QStringLiteral("Trasferisci sulla CASSA")};
    for (int i = 0; i < 3; ++i) {
        Command1[i] = named(new QPushButton(captions[i], this), QStringLiteral("Command1_%1").arg(i));
        buttons->addWidget(Command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    buttons->addStretch(1);
    Uscita = named(new QPushButton(QStringLiteral("Chiudi"), this), QStringLiteral("Uscita"));
    buttons->addWidget(Uscita);
    root->addLayout(buttons);
    StatusBar1 = named(new QStatusBar(this), QStringLiteral("StatusBar1"));
    auto* ora = new QLabel(StatusBar1);
    auto* data = new QLabel(StatusBar1);
    StatusBar1->addPermanentWidget(ora);
    StatusBar1->addPermanentWidget(data);
    const auto orologio = [ora, data] {
        const QDateTime now = QDateTime::currentDateTime();
        ora->setText(now.time().toString(QStringLiteral("HH:mm")));
        data->setText(Vb::formatDate(now.date()));
    };
    orologio();
    auto* t = new QTimer(this);
    connect(t, &QTimer::timeout, this, orologio);
    t->start(1000);
    root->addWidget(StatusBar1);

    connect(Conferma, &QPushButton::clicked, this, &RepartiWindow::Conferma_Click);
    connect(Annulla, &QPushButton::clicked, this, &RepartiWindow::Annulla_Click);
    connect(Uscita, &QPushButton::clicked, this, &RepartiWindow::Uscita_Click);
    // A row chosen by mouse or keyboard is shown; the list's own reload does not count.
    connect(ListReparti, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous) {
        if (!m_caricamento && row >= 0 && row != previous)
            ListReparti_Click();
    });
    connect(Fiscale, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            Iva->setText(QStringLiteral("0"));
        Iva->setEnabled(!on);
    });
    connect(Check1, &QCheckBox::toggled, Prezzo, &QWidget::setEnabled);
    connect(Check2, &QCheckBox::toggled, Sconto, &QWidget::setEnabled);
    connect(Check3, &QCheckBox::toggled, this, [this](bool on) {
        FrameIcona->setEnabled(on);
        File1->setEnabled(on);
    });
    connect(Dir1, &QLineEdit::textChanged, this, [this] {
        Image1->clear();
        EsistenzaFigura->setText(kFalse);
        aggiornaFile1();
    });
    connect(File1, &QListWidget::itemClicked, this, [this](QListWidgetItem* it) { File1_Click(it->text()); });

    const auto decimale = [](QLineEdit* box) {
        return [box](int k) { return ArticleRules::filtroDecimale(k, box->text()); };
    };
    limita(NomeReparto, 16, {});
    limita(Iva, 5, decimale(Iva));
    limita(Prezzo, 5, decimale(Prezzo));
    limita(Sconto, 5, decimale(Sconto));
    limita(txtValoreReparto, 5, [](int k) { return FiltraTasto(k, 3); });
}

void RepartiWindow::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    if (const QScreen* s = screen()) {
        const QRect a = s->availableGeometry();
        resize(a.width() * 75 / 100, a.height() * 75 / 100);
        move(a.center() - rect().center());
    }
    setWindowState(windowState() | Qt::WindowMaximized);
    Dir1->setText(QDir::currentPath());
    Attesa(650, InputUtente::Trattenuto);
}

void RepartiWindow::formActivate()
{
    if (!app().testoStato.isEmpty())
        setWindowTitle(app().testoStato);
    for (QWidget* w : std::initializer_list<QWidget*>{this, Frame1, FrameIcona, Reparti, Fiscale, Check1, Check2,
                                                      Check3, ckPrezzoZero})
        setBackground(w, app().coloreSfondo);
    ModoVisualizza();
    ListReparti_Click();
}

bool RepartiWindow::formQueryUnload()
{
    return !app().trasferimentoInCorso();
}

void RepartiWindow::formUnload()
{
    if (app().parolaInterscambio == QLatin1String("QUIDAR")) {
        QSerialPort& cassa = RegLink::linea().Cassa();
        if (cassa.isOpen()) {
            cassa.close();
            Attesa(600, InputUtente::Trattenuto);
        }
    }
}

int RepartiWindow::codiceSelezionato(bool* ok) const
{
    const int r = ListReparti->currentRow();
    const QTableWidgetItem* it = r >= 0 ? ListReparti->item(r, 0) : nullptr;
    *ok = false;
    return it ? it->text().toInt(ok) : 0;
}

bool RepartiWindow::inModifica() const
{
    return Frame1->isEnabled();
}

void RepartiWindow::CaricaReparti()
{
    m_caricamento = true;
    ListReparti->setRowCount(0);
    const Letto<QList<Reparto>> letti = Reparti::tutti();
    if (!letti.ok) {
        m_caricamento = false;
        svuotaCampi();
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura dei reparti non riuscita"));
        return;
    }
    const QList<Reparto>& rows = *letti.valore;
    ListReparti->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList cells = Reparti::riga(rows.at(r));
        for (int c = 0; c < cells.size(); ++c)
            ListReparti->setItem(r, c, new QTableWidgetItem(cells.at(c)));
    }
    if (!rows.isEmpty())
        ListReparti->setCurrentCell(0, 0);
    m_caricamento = false;
}

bool RepartiWindow::mostraIcona(const QString& path)
{
    const QPixmap pm(path);
    if (pm.isNull())
        return false;
    Image1->setPixmap(pm);
    return true;
}

void RepartiWindow::mostraCampi(const Reparto& r)
{
    NomeReparto->setText(r.descrizione);
    Iva->setText(Vb::cstr(r.iva));
    const bool conPrezzo = r.prezzoPrefissato != 0;
    Prezzo->setText(conPrezzo ? Vb::cstr(r.prezzoPrefissato) : QString());
    Check1->setChecked(conPrezzo);
    const bool conSconto = r.sconto != 0;
    Sconto->setText(conSconto ? QString::number(r.sconto) : QString());
    Check2->setChecked(conSconto);
}

void RepartiWindow::svuotaCampi()
{
    for (QLineEdit* e : {NomeReparto, Iva, txtValoreReparto, Prezzo, Sconto})
        e->clear();
    for (QCheckBox* c : {ckPrezzoZero, Fiscale, Check1, Check2, Check3})
        c->setChecked(false);
    Image1->clear();
}

void RepartiWindow::MostraReparto()
{
    bool ok = false;
    const int cod = codiceSelezionato(&ok);
    if (!ok)
        return;
    const Letto<Reparto> letto = Reparti::leggi(cod);
    if (!letto.ok) {
        // Another department's values under this one's row would mislead.
        svuotaCampi();
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura del reparto non riuscita"));
        return;
    }
    const auto& r = letto.valore;
    if (!r)
        return;
    mostraCampi(*r);
    txtValoreReparto->setText(r->prezzoPrefissato != 0 ? Vb::cstr(r->prezzoPrefissato) : QString());
    ckPrezzoZero->setChecked(r->sconto != 0);
    Fiscale->setChecked(r->noFiscale);
    const QString path = Reparti::percorsoIcona(r->percorsoIcon, r->icon);
    if (path.isEmpty()) {
        Image1->clear();
        Check3->setChecked(false);
    } else if (mostraIcona(path)) {
        Check3->setChecked(true);
    } else {
        // A stored icon that is no picture: the row and the icon controls are repaired.
        if (const Esito e = Reparti::dimenticaIcona(cod); !e)
            Msg::warn(
                Db::perUtente(e, QStringLiteral("ATTENZIONE! Aggiornamento dell'icona del reparto non riuscito")));
        Dir1->setText(Paths::inProgramFolder(QStringLiteral("Immagini")));
        Image1->clear();
        Check3->setChecked(false);
    }
}

void RepartiWindow::PreparaPerModifica()
{
    bool ok = false;
    const int cod = codiceSelezionato(&ok);
    EsistenzaFigura->setText(kFalse);
    m_nuovaCartella.clear();
    m_nuovoFile.clear();
    if (!ok)
        return;
    const Letto<Reparto> letto = Reparti::leggi(cod);
    if (!letto.ok) {
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura del reparto non riuscita"));
        return; // still in view mode
    }
    const auto& r = letto.valore;
    if (!r)
        return;
    mostraCampi(*r);
    const QString path = Reparti::percorsoIcona(r->percorsoIcon, r->icon);
    if (!path.isEmpty() && mostraIcona(path)) {
        Check3->setChecked(true);
        EsistenzaFigura->setText(kTrue);
    } else {
        Check3->setChecked(false);
        EsistenzaFigura->setText(kFalse);
    }
    Frame1->setEnabled(true);
    const QTableWidgetItem* nome = ListReparti->item(ListReparti->currentRow(), 1);
    Frame1->setTitle(QStringLiteral("Modifica ") + (nome ? nome->text() : QString()));
    Command1[0]->setEnabled(false);
    Command1[1]->setEnabled(false);
    ListReparti->setEnabled(false);
    NomeReparto->setFocus();
}

bool RepartiWindow::ControllaCampi()
{
    if (NomeReparto->text().isEmpty()) {
        messaggio(QStringLiteral("Il 'Nome reparto' non può essere nullo!"));
        NomeReparto->setFocus();
        return false;
    }
    if (Iva->text().isEmpty() || (Iva->text() == QLatin1String("0") && !Fiscale->isChecked())) {
        if (messaggio(QStringLiteral("Impostare l'Iva del reparto a 0?"), QMessageBox::Yes | QMessageBox::No) !=
            QMessageBox::Yes) {
            Iva->setFocus();
            return false;
        }
        Iva->setText(QStringLiteral("0"));
    } else if (const QString motivo = Reparti::verificaIva(Iva->text()); !motivo.isEmpty()) {
        // As the editor's VAT: a pasted "-22" or "1e2" is refused, not saved and listed.
        return rifiuta(Iva, motivo);
    }
    if (!numeroFacoltativo(Check1, Prezzo, QStringLiteral("Prezzo Prefissato")))
        return false;
    // The visible value box is the one saved, so it is the one checked.
    // As the key filter lets it be typed (a pasted sign or exponent is refused), and within what
    // the registers take.
    const auto valore = numeroDaTastiera(txtValoreReparto->text());
    if (!txtValoreReparto->text().isEmpty() && (!valore || *valore > kPrezzoMassimoCassa))
        return rifiuta(
            txtValoreReparto,
            valore ? QStringLiteral("Formato 'Valore Reparto' non valido: il massimo accettato dalle casse è ") +
                         Vb::money(kPrezzoMassimoCassa)
                   : QStringLiteral("Formato 'Valore Reparto' non valido"));
    if (!numeroFacoltativo(Check2, Sconto, QStringLiteral("Sconto Automatico")))
        return false;
    if (Check3->isChecked() && EsistenzaFigura->text() == kFalse)
        Check3->setChecked(false);
    return true;
}

bool RepartiWindow::rifiuta(QLineEdit* casella, const QString& testo)
{
    messaggio(testo);
    casella->clear();
    casella->setFocus();
    return false;
}

bool RepartiWindow::numeroFacoltativo(QCheckBox* spunta, QLineEdit* casella, const QString& campo)
{
    if (!spunta->isChecked())
        return true;
    if (casella->text().isEmpty()) {
        spunta->setChecked(false);
        return true;
    }
    if (Vb::isNumeric(casella->text()))
        return true;
    return rifiuta(casella, QStringLiteral("Formato '%1' non valido").arg(campo));
}

Esito RepartiWindow::SalvaReparto()
{
    bool ok = false;
    const int cod = codiceSelezionato(&ok);
    if (!ok)
        return Esito::fallito(VbErr::InvalidUseOfNull);
    Reparti::Modifica m;
    m.nome = NomeReparto->text();
    m.iva = Iva->text();
    m.valore = txtValoreReparto->text();
    m.prezzoZero = ckPrezzoZero->isChecked();
    m.nonFiscale = Fiscale->isChecked();
    m.conIcona = Check3->isChecked();
    m.nuovaCartella = m_nuovaCartella;
    m.nuovoFile = m_nuovoFile;
    return Reparti::salva(cod, m);
}

void RepartiWindow::AzzeraReparto()
{
    bool ok = false;
    const int cod = codiceSelezionato(&ok);
    if (!ok)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Esito e = Reparti::azzera(cod);
    QApplication::restoreOverrideCursor();
    if (!e)
        Msg::warn(Db::perUtente(e, QStringLiteral("ATTENZIONE! Azzeramento del reparto non riuscito")));
    ModoVisualizza();
}

void RepartiWindow::ModoVisualizza()
{
    Frame1->setTitle(QStringLiteral("Dettagli Reparto"));
    Frame1->setEnabled(false);
    for (QPushButton* b : Command1)
        b->setEnabled(true);
    ListReparti->setEnabled(true);
    CaricaReparti();
    MostraReparto();
    ListReparti->setFocus();
}

void RepartiWindow::Command1_Click(int index)
{
    switch (index) {
    case 0:
        PreparaPerModifica();
        break;
    case 1:
        if (Msg::box(QStringLiteral("Tutte le personalizzazioni del reparto verranno rimosse!Continuare?"),
                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Information) == QMessageBox::Yes)
            AzzeraReparto();
        break;
    case 2: {
        // The department window's notice frame as the register link sees it.
        class Pannello final : public PannelloReparti
        {
        public:
            explicit Pannello(RepartiWindow& w) : m_w(w) {}
            void cursoreAttesa(bool on) override { ::cursoreAttesa(on); }
            void mostraAvviso(bool on) override
            {
                m_w.frAvviso->setVisible(on);
                LasciaScorrereEventi(InputUtente::Trattenuto);
            }
            void setTestoAvviso(const QString& t) override { m_w.lblAvviso->setText(t); }
            void mostraStato(const QString& t) override
            {
                if (!m_w.m_vitaArchivio.expired())
                    m_w.m_archivio.mostraLblTab(t);
            }

        private:
            RepartiWindow& m_w;
        } p(*this);
        TrasferimentoReparti::TrasferisciSullaCassa(p);
        break;
    }
    default:
        break;
    }
}

void RepartiWindow::Conferma_Click()
{
    if (!ControllaCampi())
        return;
    if (const Esito e = SalvaReparto(); !e) {
        Msg::warn(
            Db::perUtente(e, QStringLiteral("ATTENZIONE! Salvataggio del reparto non riuscito - Verificare i dati")));
        return; // still in edit mode, with what was typed
    }
    ModoVisualizza();
}

void RepartiWindow::Annulla_Click()
{
    ModoVisualizza();
}

void RepartiWindow::Uscita_Click()
{
    const std::weak_ptr<const bool> archivio = m_vitaArchivio;
    if (!unload())
        return; // the departments are still being sent
    if (!archivio.expired())
        m_archivio.nascondiLblTab();
    app().saltaAggiornamento = true;
}

void RepartiWindow::ListReparti_Click()
{
    Command1[0]->setEnabled(true);
    Command1[1]->setEnabled(true);
    MostraReparto();
}

void RepartiWindow::aggiornaFile1()
{
    File1->clear();
    const QDir d(Dir1->text());
    if (d.exists())
        File1->addItems(d.entryList({QStringLiteral("*.*")}, QDir::Files, QDir::Name));
}

void RepartiWindow::File1_Click(const QString& file)
{
    const QString path = QDir(Dir1->text()).filePath(file);
    if (!mostraIcona(path)) {
        Msg::info(QStringLiteral("Immagine non valida o file non di immagine!Selezionarne uno nuovo!"));
        Image1->clear();
        EsistenzaFigura->setText(kFalse);
        return;
    }
    EsistenzaFigura->setText(kTrue);
    m_nuovaCartella = Dir1->text();
    m_nuovoFile = file;
}

void Generi_Click(ArchivioCallbacks& cb)
{
    if (RepartiWindow* w = Forms::carica<RepartiWindow>(cb))
        w->showModal();
}
