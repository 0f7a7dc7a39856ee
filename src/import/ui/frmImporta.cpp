#include "import/ui/frmImporta.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Interaction.h"
#include "core/Progress.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/ui/Ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// Shows the engine's status in lblTab and its count in the progress bar, and keeps the window
// painted; user input waits, so no click starts a second import on the same connection.
// Survives the window closing meanwhile.
class AvanzamentoFinestra final : public ProgressSink
{
public:
    AvanzamentoFinestra(QLabel* stato, QProgressBar* barra, QLabel* conteggio)
        : m_stato(stato), m_barra(barra), m_conteggio(conteggio)
    {
    }
    void setRange(int minimo, int massimo) override
    {
        m_minimo = minimo;
        m_massimo = massimo;
        if (m_barra) {
            m_barra->setRange(minimo, massimo);
            m_barra->show();
        }
        if (m_conteggio) {
            m_conteggio->clear();
            m_conteggio->show();
        }
        aggiorna(true);
    }
    void setValue(int valore) override
    {
        const bool conTotale = m_massimo > m_minimo;
        if (m_barra && conTotale)
            m_barra->setValue(valore);
        if (m_conteggio) {
            const QLocale& it = Vb::italian();
            m_conteggio->setText(conTotale ? QStringLiteral("%1 di %2").arg(it.toString(valore), it.toString(m_massimo))
                                           : QStringLiteral("Righe lette: %1").arg(it.toString(valore)));
        }
        aggiorna(conTotale && valore >= m_massimo);
    }
    void setStatus(const QString& t) override
    {
        if (m_stato) {
            m_stato->setText(t);
            m_stato->repaint();
        }
        aggiorna(true);
    }

private:
    // Painting now and then is enough: a report every few rows would cost the import its speed.
    void aggiorna(bool subito)
    {
        if (!subito && m_ultimo.isValid() && m_ultimo.elapsed() < 40)
            return;
        m_ultimo.start();
        LasciaScorrereEventi(InputUtente::Trattenuto);
    }
    QPointer<QLabel> m_stato;
    QPointer<QProgressBar> m_barra;
    QPointer<QLabel> m_conteggio;
    int m_minimo = 0;
    int m_massimo = 0;
    QElapsedTimer m_ultimo;
};

QComboBox* comboColonna(QWidget* parent, const QString& nome)
{
    auto* c = named(new QComboBox(parent), nome);
    c->setMinimumWidth(70);
    return c;
}

int numeroColonna(const QComboBox* c)
{
    return c->currentText().trimmed().toInt();
}

void scegli(QComboBox* c, const QString& testo)
{
    c->setCurrentIndex(c->findText(testo));
}

} // namespace

frmImporta::frmImporta(Interaction& ui, ElencoArticoli& elenco, QWidget* parent)
    : FormBase(parent), m_ui(ui), m_elenco(elenco), m_vitaElenco(elenco.vita())
{
    setObjectName(QStringLiteral("frmImporta"));
    setWindowTitle(QStringLiteral("Importazione dati - Aggiornamento"));
    auto* v = new QVBoxLayout(this);

    auto* riga = new QHBoxLayout;
    txtPercorso = named(new QLineEdit(this), QStringLiteral("txtPercorso"), QStringLiteral("File"));
    txtPercorso->setReadOnly(true);
    ckFileExcel = named(new QCheckBox(QStringLiteral("Formato File Xls"), this), QStringLiteral("ckFileExcel"));
    riga->addWidget(txtPercorso, 1);
    riga->addWidget(ckFileExcel);
    v->addLayout(riga);

    auto* sopra = new QHBoxLayout;
    frFornitore = named(new QGroupBox(QStringLiteral("Fornitore"), this), QStringLiteral("frFornitore"));
    auto* hf = new QVBoxLayout(frFornitore);
    cbFornitore = named(new QComboBox(frFornitore), QStringLiteral("cbFornitore"), QStringLiteral("Fornitore"));
    cbFornitore->setEditable(true);
    cbFornitore->setMinimumWidth(220);
    hf->addWidget(cbFornitore);
    hf->addStretch(1);
    sopra->addWidget(frFornitore);

    frSeparatore = named(new QGroupBox(QStringLiteral("Separatore di Campi"), this), QStringLiteral("frSeparatore"));
    auto* gs = new QGridLayout(frSeparatore);
    const QStringList didascalie = {QStringLiteral("/"), QStringLiteral(";"),           QStringLiteral(","),
                                    QStringLiteral(":"), QStringLiteral("Poseidon 35"), QStringLiteral("!")};
    for (int i = 0; i < 6; ++i) {
        optSeparatore[i] =
            named(new QRadioButton(didascalie.at(i), frSeparatore), QStringLiteral("optSeparatore(%1)").arg(i));
        gs->addWidget(optSeparatore[i], i / 3, i % 3);
        connect(optSeparatore[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optSeparatore_Click(i);
        });
    }
    sopra->addWidget(frSeparatore, 1);
    v->addLayout(sopra);

    frPosizioni =
        named(new QGroupBox(QStringLiteral("Posizione dati (N° Colonna)"), this), QStringLiteral("frPosizioni"));
    auto* gp = new QGridLayout(frPosizioni);
    struct Voce
    {
        QComboBox** combo;
        const char* nome;
        const char* etichetta;
        const char* suggerimento;
    };
    const Voce voci[] = {{&cbPDes, "cbPDes", "Descrizione", "(5)"},
                         {&cbPQta, "cbPQta", "Quantità", "(12)"},
                         {&cbPBC, "cbPBC", "BarCode", "(4)"},
                         {&cbPRep, "cbPRep", "Reparto", "(6)"},
                         {&cbPPV, "cbPPV", "Prezzo di Vendita", "(10)"},
                         {&cbPACQ, "cbPACQ", "Prezzo di Acquisto", ""},
                         {&cbIVA, "cbIVA", "IVA", ""},
                         {&cbCFOR, "cbCFOR", "Cod x Fornitore", ""},
                         {&cbFOR, "cbFOR", "Fornitore", ""}};
    int n = 0;
    for (const Voce& voce : voci) {
        *voce.combo = comboColonna(frPosizioni, QString::fromLatin1(voce.nome));
        (*voce.combo)->setAccessibleName(QString::fromUtf8(voce.etichetta));
        const int r = n % 5;
        const int c = (n / 5) * 3;
        auto* l = new QLabel(QString::fromUtf8(voce.etichetta), frPosizioni);
        l->setBuddy(*voce.combo);
        gp->addWidget(l, r, c);
        gp->addWidget(*voce.combo, r, c + 1);
        gp->addWidget(new QLabel(QString::fromLatin1(voce.suggerimento), frPosizioni), r, c + 2);
        ++n;
    }
    v->addWidget(frPosizioni);

    lblTab = named(new QLabel(this), QStringLiteral("lblTab"));
    lblTab->setMinimumHeight(28);
    QFont f = lblTab->font();
    f.setBold(true);
    lblTab->setFont(f);
    v->addWidget(lblTab);

    auto* avanzamento = new QHBoxLayout;
    pbAvanzamento = named(new QProgressBar(this), QStringLiteral("pbAvanzamento"), QStringLiteral("Avanzamento"));
    lblConteggio = named(new QLabel(this), QStringLiteral("lblConteggio"));
    lblConteggio->setMinimumWidth(160);
    for (QWidget* w : {static_cast<QWidget*>(pbAvanzamento), static_cast<QWidget*>(lblConteggio)}) {
        QSizePolicy sp = w->sizePolicy();
        sp.setRetainSizeWhenHidden(true); // the window keeps its size when the bar shows
        w->setSizePolicy(sp);
        w->hide();
    }
    avanzamento->addWidget(pbAvanzamento, 1);
    avanzamento->addWidget(lblConteggio);
    v->addLayout(avanzamento);

    auto* pulsanti = new QHBoxLayout;
    cmdValPredef = named(new QPushButton(QStringLiteral("Predef."), this), QStringLiteral("cmdValPredef"));
    Command1 = named(new QPushButton(QStringLiteral("Predef. XLS"), this), QStringLiteral("Command1"));
    cmdProcedi = named(new QPushButton(QStringLiteral("&Procedi"), this), QStringLiteral("cmdProcedi"));
    cmdChiudi = named(new QPushButton(QStringLiteral("&Termina - Chiudi"), this), QStringLiteral("cmdChiudi"));
    pulsanti->addWidget(cmdValPredef);
    pulsanti->addWidget(Command1);
    pulsanti->addStretch(1);
    pulsanti->addWidget(cmdProcedi);
    pulsanti->addWidget(cmdChiudi);
    v->addLayout(pulsanti);

    connect(cmdValPredef, &QPushButton::clicked, this, &frmImporta::cmdValPredef_Click);
    connect(Command1, &QPushButton::clicked, this, &frmImporta::Command1_Click);
    connect(cmdProcedi, &QPushButton::clicked, this, &frmImporta::cmdProcedi_Click);
    connect(cmdChiudi, &QPushButton::clicked, this, &frmImporta::cmdChiudi_Click);
    resize(760, 420);
}

frmImporta* frmImporta::apri(Interaction& ui, ElencoArticoli& elenco)
{
    if (frmImporta* w = Forms::instance<frmImporta>())
        return w;
    QPointer<frmImporta> w = new frmImporta(ui, elenco, Forms::parentForNew());
    w->setRegistryKey(Forms::key<frmImporta>());
    FormBase::registry().insert(Forms::key<frmImporta>(), w.data());
    w->load();
    return w && !w->isUnloading() ? w.data() : nullptr;
}

void frmImporta::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    for (QComboBox* c : {cbPPV, cbPRep, cbPBC, cbPQta, cbPDes, cbPACQ, cbIVA, cbCFOR, cbFOR}) {
        c->clear();
        c->addItem(QString());
        for (int i = 1; i <= 100; ++i)
            c->addItem(QString::number(i));
    }
    CaricaComboFornitori();
    Attesa(650, InputUtente::Trattenuto);
}

void frmImporta::showEvent(QShowEvent* e)
{
    FormBase::showEvent(e);
    // Only a real show resets the separator, never the return from a dialog or a message.
    if (!e->spontaneous()) {
        optSeparatore[1]->setChecked(true);
        m_separatore = QStringLiteral(";");
    }
}

void frmImporta::formUnload()
{
    if (!m_vitaElenco.expired())
        m_elenco.ricarica();
}

void frmImporta::CaricaComboFornitori()
{
    cbFornitore->clear();
    cbFornitore->addItem(QString());
    const auto f = Articoli::fornitori();
    if (!f.ok) {
        ScriviErrore(QStringLiteral("frmImporta"), QStringLiteral("CaricaComboFornitori"), VbErr::DatabaseError,
                     f.errore);
        return;
    }
    cbFornitore->addItems(*f.valore);
    cbFornitore->setCurrentIndex(0);
}

void frmImporta::optSeparatore_Click(int index)
{
    static const char* const sep[] = {"/", ";", ",", ":", nullptr, "!"};
    if (index >= 0 && index < 6 && sep[index])
        m_separatore = QString::fromLatin1(sep[index]);
}

void frmImporta::cmdValPredef_Click()
{
    scegli(cbPDes, QStringLiteral("5"));
    scegli(cbPQta, QStringLiteral("12"));
    scegli(cbPBC, QStringLiteral("4"));
    scegli(cbPRep, QStringLiteral("6"));
    scegli(cbPPV, QStringLiteral("10"));
}

void frmImporta::Command1_Click()
{
    scegli(cbPDes, QStringLiteral("4"));
    cbPQta->setCurrentIndex(-1);
    scegli(cbPBC, QStringLiteral("9"));
    scegli(cbPRep, QStringLiteral("6"));
    scegli(cbPPV, QStringLiteral("7"));
    scegli(cbPACQ, QStringLiteral("14"));
    scegli(cbIVA, QStringLiteral("8"));
    scegli(cbCFOR, QStringLiteral("15"));
    scegli(cbFOR, QStringLiteral("17"));
}

ImpostazioniImport frmImporta::impostazioni() const
{
    ImpostazioniImport imp;
    imp.fileExcel = ckFileExcel->isChecked();
    imp.fornitore = cbFornitore->currentText();
    imp.opzioneSeparatore = -1;
    for (int i = 0; i < 6; ++i) {
        if (optSeparatore[i]->isChecked())
            imp.opzioneSeparatore = i;
    }
    imp.separatore = m_separatore;
    imp.posDes = numeroColonna(cbPDes);
    imp.posQta = numeroColonna(cbPQta);
    imp.posBC = numeroColonna(cbPBC);
    imp.posRep = numeroColonna(cbPRep);
    imp.posPV = numeroColonna(cbPPV);
    imp.posACQ = numeroColonna(cbPACQ);
    imp.posIVA = numeroColonna(cbIVA);
    imp.posCFOR = numeroColonna(cbCFOR);
    imp.posFOR = numeroColonna(cbFOR);
    return imp;
}

QString frmImporta::ScegliFileImport(const QString& titolo)
{
    const QString path =
        m_ui.chooseOpenFile(titolo, QString(),
                            {QStringLiteral("File di testo (*.txt)"), QStringLiteral("File di Excel (*.xls)"),
                             QStringLiteral("File di testo (*.old)"), QStringLiteral("File di Excel (*.xlsx)")});
    return path;
}

QString frmImporta::SceltaPerc(const QString& testo)
{
    QString p = m_ui.chooseFolder(QStringLiteral("Seleziona la cartella contenente i DATI AGGIORNATI - ") + testo, {});
    // Only a drive root such as "C:\" loses its last character; Linux paths stay whole.
    static const QRegularExpression radice(QStringLiteral("^[A-Za-z]:[\\\\/]$"));
    if (radice.match(p).hasMatch())
        p.truncate(2);
    return p;
}

void frmImporta::cmdProcedi_Click()
{
    if (m_inCorso)
        return;
    m_inCorso = true;
    QPointer<frmImporta> self(this);
    Interaction& ui = m_ui; // outlives the window, which may close during the import
    const ImpostazioniImport imp = impostazioni();
    const QString path = ScegliFileImport(QStringLiteral("Apri file con i PLU da caricare"));
    txtPercorso->setText(path);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        ui.ask(QStringLiteral("Operazione annullata dall'Utente"), Interaction::Ok, Interaction::Icon::Information);
        m_inCorso = false;
        return;
    }
    AvanzamentoFinestra sink(lblTab, pbAvanzamento, lblConteggio);
    setCursor(Qt::WaitCursor); // over the window only: message boxes keep the arrow
    Listini::RiepilogoImport riepilogo;
    const bool fatto = Listini::EseguiImportazione(path, imp, ui, sink, &riepilogo);
    if (self) {
        self->unsetCursor();
        if (!fatto) {
            self->pbAvanzamento->hide();
            self->lblConteggio->hide();
        }
    }
    if (fatto) {
        sink.setStatus(Listini::msgTerminata());
        Attesa(4000, InputUtente::Trattenuto);
        if (self)
            self->cmdChiudi_Click();
    }
    if (self)
        self->m_inCorso = false;
    QString fine = QStringLiteral("Operazione terminata");
    if (fatto)
        fine += QStringLiteral("\r\n") + riepilogo.testo();
    ui.ask(fine, Interaction::Ok);
}

void frmImporta::cmdChiudi_Click()
{
    unload();
}

void ImportaDaFileDati(Interaction& ui, ElencoArticoli& elenco)
{
    app().saltaAggiornamento = true;
    const std::weak_ptr<const bool> vivo = elenco.vita();
    if (!ui.askTechnician())
        return;
    if (vivo.expired())
        return; // the article window closed while the password was asked
    if (frmImporta* w = frmImporta::apri(ui, elenco))
        w->showModal();
    app().saltaAggiornamento = false;
}
