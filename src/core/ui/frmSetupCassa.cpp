#include "core/ui/frmSetupCassa.h"

#include "core/Contesto.h"
#include "core/ErrorLog.h"
#include "core/Lookups.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "core/Wait.h"
#include "core/config/Acquisizione.h"
#include "core/config/Cartelle.h"
#include "core/config/DatabaseEsterno.h"
#include "core/config/Etichetta.h"
#include "core/config/InterfacciaUtente.h"
#include "core/config/RegCassa.h"
#include "core/config/STdiSISTEMA.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Printers.h"
#include "core/ui/Ui.h"
#include "core/ui/frmChangeST.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kMiaAttivita = QStringLiteral("MiaAttività");
const QString kSfondoFiltro = QStringLiteral(
    "File bitmap (*.bmp)|*.BMP;*.DIB|File Gif (*.Gif)|*.GIF|File Jpeg (*.Jpg | *.JPG|File di Icona (*.Ico)|*.ICO|"
    "Metafile (*.Wmf)|*.WMF");
const QString kDatabaseFiltro = QStringLiteral("Microsoft Excel files (*.mdb)|*.mdb");

QStringList portItems()
{
    QStringList items{QString()};
    for (int i = 1; i <= 254; ++i)
        items << QString::number(i);
    return items;
}

// Selects `value` in a selection list. A value the list does not hold is added as an item and
// selected, so it is shown, kept on save, and never stops the filling of the other controls.
void seleziona(QComboBox* cb, const QString& value)
{
    if (value.isEmpty()) {
        cb->setCurrentIndex(-1);
        return;
    }
    int i = cb->findText(value, Qt::MatchFixedString);
    if (i < 0) {
        cb->addItem(value);
        i = cb->count() - 1;
    }
    cb->setCurrentIndex(i);
}

// The settings file keeps the colour as a VB Long: a signed 32-bit decimal.
QString coloreDecimale(VbColor c)
{
    return QString::number(qint32(quint32(c & 0xFFFFFFFF)));
}

} // namespace

frmSetupCassa::frmSetupCassa(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("frmSetupCassa"));
    setWindowTitle(QStringLiteral("Impostazioni Periferiche"));

    auto* lay = new QVBoxLayout(this);
    SSTab1 = named(new QTabWidget(this), QStringLiteral("SSTab1"));
    lay->addWidget(SSTab1, 1);

    auto combo = [this](const QString& name, const QString& label, const QStringList& items) {
        auto* cb = named(new QComboBox(this), name, label);
        cb->setEditable(false);
        cb->addItems(items);
        cb->setCurrentIndex(-1);
        connect(cb, &QComboBox::currentIndexChanged, this, &frmSetupCassa::modificato);
        return cb;
    };
    auto edit = [this](const QString& name, const QString& label) { return named(new QLineEdit(this), name, label); };
    auto button = [this](const QString& name, const QString& caption, const QString& label = {}) {
        return named(new QPushButton(caption, this), name, label);
    };
    auto row = [](QGridLayout* g, int r, const QString& label, QWidget* w, QWidget* extra = nullptr) {
        g->addWidget(new QLabel(label), r, 0);
        g->addWidget(w, r, 1);
        if (extra)
            g->addWidget(extra, r, 2);
    };

    // First tab: the register lines.
    auto* tab1 = new QWidget;
    auto* t1 = new QVBoxLayout(tab1);

    const QString numeroPorta = QStringLiteral("Numero Porta");
    auto* frPorta =
        named(new QGroupBox(QStringLiteral("Porta seriale di collegamento (COM):")), QStringLiteral("frPorta"));
    auto* gPorta = new QGridLayout(frPorta);
    cbPortaComCassa = combo(QStringLiteral("cbPortaComCassa"), numeroPorta, {});
    row(gPorta, 0, numeroPorta, cbPortaComCassa);
    cbVelocitaComCassa = combo(QStringLiteral("cbVelocitaComCassa"), QStringLiteral("Velocità (Bit per secondo)"),
                               {"110", "134", "150", "300", "600", "1200", "1800", "2400", "4800", "7200", "9600",
                                "14400", "19200", "38400", "57600", "115200", "128000", "256000"});
    row(gPorta, 1, QStringLiteral("Velocità (Bit per secondo)"), cbVelocitaComCassa);
    cbBitDatiComCassa =
        combo(QStringLiteral("cbBitDatiComCassa"), QStringLiteral("Bit di dati"), {"4", "5", "6", "7", "8"});
    row(gPorta, 2, QStringLiteral("Bit di dati"), cbBitDatiComCassa);
    cbParitaComCassa = combo(QStringLiteral("cbParitaComCassa"), QStringLiteral("Parità"),
                             {"Pari", "Dispari", "Nessuna", "Mark", "Spazio"});
    row(gPorta, 3, QStringLiteral("Parità"), cbParitaComCassa);
    cbBitStopComCassa = combo(QStringLiteral("cbBitStopComCassa"), QStringLiteral("Bit di stop"), {"1", "1,5", "2"});
    row(gPorta, 4, QStringLiteral("Bit di stop"), cbBitStopComCassa);
    cbFlussoComCassa = combo(QStringLiteral("cbFlussoComCassa"), QStringLiteral("Controllo di flusso"),
                             {"Xon / Xoff", "Hardware", "Nessuno"});
    row(gPorta, 5, QStringLiteral("Controllo di flusso"), cbFlussoComCassa);
    t1->addWidget(frPorta);

    auto* frAggiuntive = named(new QGroupBox(QStringLiteral("Porte Aggiuntive")), QStringLiteral("frPorteAggiuntive"));
    auto* gAgg = new QGridLayout(frAggiuntive);
    cbPortaComCassa1 = combo(QStringLiteral("cbPortaComCassa1"), numeroPorta, {});
    cbPortaComCassa2 = combo(QStringLiteral("cbPortaComCassa2"), numeroPorta, {});
    row(gAgg, 0, numeroPorta, cbPortaComCassa1);
    row(gAgg, 1, numeroPorta, cbPortaComCassa2);
    t1->addWidget(frAggiuntive);

    const QString ipLabel = QStringLiteral("Indirizzo IP (LAN - Wifi)");
    auto* ipBox = new QHBoxLayout;
    ipBox->addWidget(new QLabel(ipLabel));
    for (int i = 0; i < 4; ++i) {
        txtIP[i] = edit(QStringLiteral("txtIP%1").arg(i + 1), ipLabel);
        txtIP[i]->setMaxLength(3);
        txtIP[i]->setMaximumWidth(twips(700));
        KeyPressFilter::install(txtIP[i], [this](int k) {
            modificato(); // on every key, dropped or not
            return FiltraTasto(k, 1);
        });
        if (i > 0)
            ipBox->addWidget(new QLabel(QStringLiteral(".")));
        ipBox->addWidget(txtIP[i]);
    }
    ipBox->addStretch(1);
    t1->addLayout(ipBox);
    t1->addWidget(new QLabel(QStringLiteral("* Se impostato Indirizzo IP - LASCIARE VUOTA la casella Numero Porta")));

    ckTipoST = named(new QCheckBox(QStringLiteral("Stampante Mod. Piru NEX")), QStringLiteral("ckTipoST"));
    connect(ckTipoST, &QCheckBox::toggled, this, &frmSetupCassa::ckTipoST_Click);
    t1->addWidget(ckTipoST);

    auto* frAcq = named(new QGroupBox(QStringLiteral("Acquisizione PLU")), QStringLiteral("frAcquisizione"));
    auto* hAcq = new QHBoxLayout(frAcq);
    const char* metodi[2] = {"Metodo Lento", "Metodo Veloce"};
    for (int i = 0; i < 2; ++i) {
        ckPrendiPLU[i] = named(new QCheckBox(QString::fromUtf8(metodi[i])), QStringLiteral("ckPrendiPLU_%1").arg(i));
        connect(ckPrendiPLU[i], &QCheckBox::toggled, this, &frmSetupCassa::modificato);
        hAcq->addWidget(ckPrendiPLU[i]);
    }
    t1->addWidget(frAcq);
    t1->addStretch(1);
    SSTab1->addTab(tab1, QStringLiteral("Collegamento Stampante Fiscale"));

    // Second tab: folders, names, appearance, printers.
    auto* tab2 = new QWidget;
    auto* t2 = new QVBoxLayout(tab2);

    auto* frInter = named(new QGroupBox(QStringLiteral("INTERSCAMBIO")), QStringLiteral("frInterscambio"));
    auto* gInter = new QGridLayout(frInter);
    txtInterscambioIN = edit(QStringLiteral("txtInterscambioIN"), QStringLiteral("Cartella di IN"));
    cmdCartellaIN = button(QStringLiteral("cmdCartellaIN"), QStringLiteral("..."), QStringLiteral("Cartella di IN"));
    row(gInter, 0, QStringLiteral("Cartella di IN"), txtInterscambioIN, cmdCartellaIN);
    txtInterscambioOUT = edit(QStringLiteral("txtInterscambioOUT"), QStringLiteral("Cartella di OUT"));
    cmdCartellaOUT = button(QStringLiteral("cmdCartellaOUT"), QStringLiteral("..."), QStringLiteral("Cartella di OUT"));
    row(gInter, 1, QStringLiteral("Cartella di OUT"), txtInterscambioOUT, cmdCartellaOUT);
    t2->addWidget(frInter);

    const QString nomeLabel = QStringLiteral("Nome Attività su Frontalino");
    auto* frNome = named(new QGroupBox(nomeLabel), QStringLiteral("frNomeAttivita"));
    auto* hNome = new QHBoxLayout(frNome);
    txtNomeAttivita = edit(QStringLiteral("txtNomeAttivita"), nomeLabel);
    connect(txtNomeAttivita, &QLineEdit::textChanged, this, &frmSetupCassa::modificato);
    hNome->addWidget(txtNomeAttivita);
    t2->addWidget(frNome);

    const QString dbLabel = QStringLiteral("DATABASE DA COLLEGARE");
    auto* frDb = named(new QGroupBox(dbLabel), QStringLiteral("frDatabaseEsterno"));
    auto* hDb = new QHBoxLayout(frDb);
    txtDatabaseEsterno = edit(QStringLiteral("txtDatabaseEsterno"), dbLabel);
    cmdSelezionaDBEsterno = button(QStringLiteral("cmdSelezionaDBEsterno"), QStringLiteral("..."), dbLabel);
    hDb->addWidget(txtDatabaseEsterno, 1);
    hDb->addWidget(cmdSelezionaDBEsterno);
    t2->addWidget(frDb);

    auto* hAspetto = new QHBoxLayout;
    auto* frColore = named(new QGroupBox(QStringLiteral("Colore di Sfondo")), QStringLiteral("frColore"));
    auto* vColore = new QVBoxLayout(frColore);
    PicColore = named(new QFrame, QStringLiteral("PicColore"), QStringLiteral("Colore di Sfondo"));
    PicColore->setFrameShape(QFrame::Box);
    PicColore->setMinimumSize(twips(1200), twips(700));
    CmdColore = button(QStringLiteral("CmdColore"), QStringLiteral("Cambia Colore"));
    vColore->addWidget(PicColore, 1);
    vColore->addWidget(CmdColore);
    hAspetto->addWidget(frColore);
    auto* frSfondo = named(new QGroupBox(QStringLiteral("Img Sfondo")), QStringLiteral("frImgSfondo"));
    auto* vSfondo = new QVBoxLayout(frSfondo);
    imgSfondo = named(new QLabel, QStringLiteral("imgSfondo"), QStringLiteral("Img Sfondo"));
    imgSfondo->setFixedSize(twips(1800), twips(1200));
    imgSfondo->setScaledContents(true);
    imgSfondo->setFrameShape(QFrame::Box);
    cmdCambiaSfondo = button(QStringLiteral("cmdCambiaSfondo"), QStringLiteral("Cambia Sfondo"));
    vSfondo->addWidget(imgSfondo, 1);
    vSfondo->addWidget(cmdCambiaSfondo);
    hAspetto->addWidget(frSfondo);
    t2->addLayout(hAspetto);

    auto* frST =
        named(new QGroupBox(QStringLiteral("Assegnazione Stampanti del Sistema")), QStringLiteral("frStampanti"));
    auto* gST = new QGridLayout(frST);
    txtStA4 = edit(QStringLiteral("txtStA4"), QStringLiteral("Predefinita per A4"));
    txtStFR = edit(QStringLiteral("txtStFR"), QStringLiteral("Predefinita per Frontalini"));
    // Filled by the printer choice window only.
    txtStA4->setReadOnly(true);
    txtStFR->setReadOnly(true);
    for (int i = 0; i < 2; ++i) {
        cmdCambiaST[i] =
            button(QStringLiteral("cmdCambiaST_%1").arg(i), QStringLiteral("Cambia"),
                   i == 0 ? QStringLiteral("Predefinita per A4") : QStringLiteral("Predefinita per Frontalini"));
        connect(cmdCambiaST[i], &QPushButton::clicked, this, [this, i] { cmdCambiaST_Click(i); });
    }
    row(gST, 0, QStringLiteral("Predefinita per A4"), txtStA4, cmdCambiaST[0]);
    row(gST, 1, QStringLiteral("Predefinita per Frontalini"), txtStFR, cmdCambiaST[1]);
    t2->addWidget(frST);
    t2->addStretch(1);
    SSTab1->addTab(tab2, QStringLiteral("Altro"));

    auto* bottom = new QHBoxLayout;
    CmdApplica = button(QStringLiteral("CmdApplica"), QStringLiteral("&Applica"));
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("&Chiudi"));
    bottom->addStretch(1);
    bottom->addWidget(CmdApplica);
    bottom->addWidget(Command1);
    lay->addLayout(bottom);

    connect(CmdApplica, &QPushButton::clicked, this, [this] { CmdApplica_Click(); });
    connect(Command1, &QPushButton::clicked, this, &frmSetupCassa::Command1_Click);
    connect(cmdCartellaIN, &QPushButton::clicked, this, &frmSetupCassa::cmdCartellaIN_Click);
    connect(cmdCartellaOUT, &QPushButton::clicked, this, &frmSetupCassa::cmdCartellaOUT_Click);
    connect(cmdCambiaSfondo, &QPushButton::clicked, this, &frmSetupCassa::cmdCambiaSfondo_Click);
    connect(CmdColore, &QPushButton::clicked, this, &frmSetupCassa::CmdColore_Click);
    connect(cmdSelezionaDBEsterno, &QPushButton::clicked, this, &frmSetupCassa::cmdSelezionaDBEsterno_Click);
}

QString frmSetupCassa::filtroQt(const QString& vbFilter)
{
    const QStringList campi = vbFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < campi.size(); i += 2) {
        QString desc = campi[i];
        const int paren = desc.indexOf(QLatin1Char('('));
        if (paren >= 0)
            desc = desc.left(paren);
        desc = desc.trimmed();
        QStringList patterns;
        for (const QString& p : campi[i + 1].split(QLatin1Char(';'))) {
            const QString t = p.trimmed();
            if (t.isEmpty())
                continue;
            // Linux file names are case-sensitive; the old dialog matched any case.
            for (const QString& v : {t, t.toLower(), t.toUpper()})
                if (!patterns.contains(v))
                    patterns << v;
        }
        if (!patterns.isEmpty())
            out << QStringLiteral("%1 (%2)").arg(desc, patterns.join(QLatin1Char(' ')));
    }
    return out.join(QStringLiteral(";;"));
}

void frmSetupCassa::modificato()
{
    if (CmdApplica) // the lists already signal while the constructor fills them
        CmdApplica->setEnabled(true);
}

void frmSetupCassa::mostraColore(VbColor c)
{
    m_colore = c;
    setBackground(PicColore, c);
}

void frmSetupCassa::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    const QStringList ports = portItems();
    for (QComboBox* cb : {cbPortaComCassa, cbPortaComCassa1, cbPortaComCassa2}) {
        cb->clear();
        cb->addItems(ports);
        cb->setCurrentIndex(-1);
    }
    CaricaImpostazioniCassa();
    m_attivazioni = 0;

    const bool lento = app().metodoAcquisizione == 1;
    if (!Config::Acquisizione::scrivi(lento ? 1 : 2))
        ScriviErrore(objectName(), QStringLiteral("Form_Load"), VbErr::PermissionDenied, app().percorsoSetup);
    ckPrendiPLU[0]->setChecked(lento);
    ckPrendiPLU[1]->setChecked(!lento);

    txtNomeAttivita->setText(Config::Etichetta::nomeAttivitaSalvato());

    ckTipoST->setChecked(Config::RegCassa::leggi().piruNEXImpostato);

    const Config::STdiSISTEMA st = Config::STdiSISTEMA::leggi();
    txtStA4->setText(st.predefinita);
    txtStFR->setText(st.xFrontalini);

    Attesa(650, InputUtente::Trattenuto);
}

void frmSetupCassa::CaricaImpostazioniCassa()
{
    const Config::RegCassa regCassa = Config::RegCassa::leggi();
    app().impostazioniRegCassa = regCassa.porte;
    const ImpostazioniRegCassa& r = regCassa.porte;
    auto porta = [](QComboBox* cb, const QString& v) { seleziona(cb, v == QLatin1String("?") ? QString() : v); };
    porta(cbPortaComCassa, r.portaCOM);
    porta(cbPortaComCassa1, r.portaCOM1);
    porta(cbPortaComCassa2, r.portaCOM2);
    const LineSettings d;
    auto linea = [](QComboBox* cb, const QString& v, const QString& def) {
        seleziona(cb, v == QLatin1String("?") ? def : v);
    };
    linea(cbVelocitaComCassa, r.linea.velocita, d.velocita);
    linea(cbBitDatiComCassa, r.linea.bitDati, d.bitDati);
    linea(cbParitaComCassa, r.linea.parita, d.parita);
    linea(cbBitStopComCassa, r.linea.bitStop, d.bitStop);
    linea(cbFlussoComCassa, r.linea.flusso, d.flusso);

    const Config::Cartelle cartelle = Config::Cartelle::leggi();
    txtInterscambioIN->setText(cartelle.in);
    txtInterscambioOUT->setText(cartelle.out);

    const Config::DatabaseEsterno db = Config::DatabaseEsterno::leggi();
    txtDatabaseEsterno->setText(db.quale == QLatin1String("?") ? QString() : db.quale);

    const QString eth = regCassa.portaETH1;
    const QStringList campi = eth.isEmpty() ? QStringList() : eth.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i)
        txtIP[i]->setText(campi.value(i));
}

void frmSetupCassa::formActivate()
{
    ++m_attivazioni;
    if (m_attivazioni != 1)
        return; // coming back from the printer choice must not undo an unsaved colour or picture
    CmdApplica->setEnabled(false);
    mostraColore(app().coloreSfondo);
    const QString img = Config::InterfacciaUtente::leggi().imgSfondo;
    if (img.isEmpty() || !QFileInfo(img).isFile())
        return;
    const QImage image = QImageReader(img).read();
    if (image.isNull())
        return;
    imgSfondo->setPixmap(QPixmap::fromImage(image));
    app().immagineSfondo = img;
}

bool frmSetupCassa::formQueryUnload()
{
    return m_chiusuraConsentita;
}

void frmSetupCassa::ckTipoST_Click()
{
    if (!Config::RegCassa::scriviPiruNEX(ckTipoST->isChecked()))
        ScriviErrore(objectName(), QStringLiteral("ckTipoST_Click"), VbErr::PermissionDenied, app().percorsoSetup);
    modificato();
}

QString frmSetupCassa::cartellaScelta(const QString& title)
{
    // The pickers start in the folder used last, else the program folder.
    const QString chosen = Contesto::interazione().chooseFolder(title, {});
    return Paths::cutDriveRoot(chosen);
}

void frmSetupCassa::cmdCartellaIN_Click()
{
    txtInterscambioIN->setText(cartellaScelta(QStringLiteral("Seleziona la cartella per i dati in ingresso")));
    modificato();
}

void frmSetupCassa::cmdCartellaOUT_Click()
{
    txtInterscambioOUT->setText(cartellaScelta(QStringLiteral("Seleziona la cartella per i dati in uscita")));
    modificato();
}

void frmSetupCassa::cmdCambiaSfondo_Click()
{
    const QString file =
        Contesto::interazione().chooseOpenFile({}, {}, filtroQt(kSfondoFiltro).split(QStringLiteral(";;")));
    const QImage image = file.isEmpty() ? QImage() : QImageReader(file).read();
    if (image.isNull()) {
        // Cancelled or not a picture: no picture.
        app().immagineSfondo.clear();
        imgSfondo->clear();
        return;
    }
    app().immagineSfondo = file;
    imgSfondo->setPixmap(QPixmap::fromImage(image));
    modificato();
}

void frmSetupCassa::CmdColore_Click()
{
    const std::optional<QColor> c = Contesto::interazione().chooseColor(colorFromVb(m_colore));
    if (!c || !c->isValid())
        return;
    mostraColore(vbFromColor(*c));
    modificato();
}

QString frmSetupCassa::SelezionaFile(const QString& title)
{
    return Contesto::interazione().chooseOpenFile(title, {}, filtroQt(kDatabaseFiltro).split(QStringLiteral(";;")));
}

void frmSetupCassa::cmdSelezionaDBEsterno_Click()
{
    txtDatabaseEsterno->setText(SelezionaFile(QStringLiteral("Seleziona il Database da collegare")));
    modificato();
}

void frmSetupCassa::cmdCambiaST_Click(int index)
{
    if (!CiSonoStampanti()) {
        Msg::box(QStringLiteral("Nessuna stampante risulta installata - Impossibile continuare"), QMessageBox::Ok,
                 QMessageBox::Information);
        return;
    }
    frmChangeST& f = Forms::get<frmChangeST>();
    f.setTag(QString::number(index));
    f.showModal();
}

bool frmSetupCassa::CmdApplica_Click()
{
    if (ckPrendiPLU[0]->isChecked() && ckPrendiPLU[1]->isChecked()) {
        Msg::box(QStringLiteral("Effettuare una sola selezione per il metodo di acquisizione PLU"));
        return false;
    }
    // The address boxes take only digits from the keyboard; a pasted text is checked here, so
    // that the register link never gets an address it cannot reach.
    bool ipVuoto = true;
    for (QLineEdit* t : txtIP)
        ipVuoto = ipVuoto && t->text().isEmpty();
    if (!ipVuoto) {
        for (QLineEdit* t : txtIP) {
            bool ok = false;
            const int n = t->text().toInt(&ok);
            const bool cifre = !t->text().isEmpty() &&
                               std::all_of(t->text().cbegin(), t->text().cend(), [](QChar c) { return c.isDigit(); });
            if (!cifre || !ok || n < 0 || n > 255) {
                Msg::box(QStringLiteral("Indirizzo IP non valido: servono quattro numeri da 0 a 255 (oppure lasciare "
                                        "vuote tutte e quattro le caselle)"),
                         QMessageBox::Ok, QMessageBox::Warning);
                t->setFocus();
                return false;
            }
        }
    }
    if (!RegistraImpostazioniCassa()) {
        Msg::box(QStringLiteral("Impossibile salvare le impostazioni nel file Setup.ini: le modifiche non sono state "
                                "registrate."),
                 QMessageBox::Ok, QMessageBox::Warning);
        return false;
    }
    CmdApplica->setEnabled(false);
    return true;
}

bool frmSetupCassa::RegistraImpostazioniCassa()
{
    ImpostazioniRegCassa r = app().impostazioniRegCassa;
    r.portaCOM = cbPortaComCassa->currentText();
    r.portaCOM1 = cbPortaComCassa1->currentText();
    r.portaCOM2 = cbPortaComCassa2->currentText();
    r.linea.velocita = cbVelocitaComCassa->currentText();
    r.linea.bitDati = cbBitDatiComCassa->currentText();
    r.linea.parita = cbParitaComCassa->currentText();
    r.linea.bitStop = cbBitStopComCassa->currentText();
    r.linea.flusso = cbFlussoComCassa->currentText();

    const int metodo = ckPrendiPLU[0]->isChecked() ? 1 : ckPrendiPLU[1]->isChecked() ? 2 : 1;
    const QString nome = txtNomeAttivita->text().isEmpty() ? kMiaAttivita : txtNomeAttivita->text();
    bool ipVuoto = true;
    QStringList ip;
    for (QLineEdit* t : txtIP) {
        ip << t->text();
        ipVuoto = ipVuoto && t->text().isEmpty();
    }
    Config::RegCassa regCassa;
    regCassa.porte = r;
    regCassa.modello = app().parolaInterscambio;
    regCassa.portaETH1 = ipVuoto ? QString() : ip.join(QLatin1Char('.'));
    const Config::Cartelle cartelle{txtInterscambioIN->text(), txtInterscambioOUT->text()};
    const Config::InterfacciaUtente interfaccia{coloreDecimale(m_colore), app().immagineSfondo};
    const QString setup = app().percorsoSetup;
    auto fallito = [&](const QString& dove) {
        ScriviErrore(objectName(), QStringLiteral("RegistraImpostazioniCassa"), VbErr::PermissionDenied,
                     setup + QStringLiteral(" ") + dove);
        return false;
    };
    if (!regCassa.scrivi())
        return fallito(QStringLiteral("[RegCassa]"));
    if (!cartelle.scrivi())
        return fallito(QStringLiteral("[Cartelle]"));
    if (!Config::Acquisizione::scrivi(metodo))
        return fallito(QStringLiteral("[Acquisizione]"));
    // [Etichetta] and [DatabaseEsterno] belong to the label and import settings.
    if (!Config::Etichetta::scriviNomeAttivita(nome))
        return fallito(QStringLiteral("[Etichetta] NomeAttivita"));
    if (!Config::DatabaseEsterno::scrivi(txtDatabaseEsterno->text()))
        return fallito(QStringLiteral("[DatabaseEsterno] Quale"));
    if (!interfaccia.scrivi())
        return fallito(QStringLiteral("[InterfacciaUtente]"));
    // The shared settings follow the file only once it holds them.
    app().impostazioniRegCassa = r;
    app().metodoAcquisizione = metodo;
    app().coloreSfondo = m_colore;
    app().portaETH1 = regCassa.portaETH1;
    return true;
}

void frmSetupCassa::Command1_Click()
{
    if (CmdApplica->isEnabled()) {
        const auto answer = Msg::box(QStringLiteral("Le nuove impostazioni non sono state salvate!!! Salvare ora?"),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Critical);
        if (answer == QMessageBox::Yes && !CmdApplica_Click())
            return; // not saved: stay open so nothing is lost
    }
    m_chiusuraConsentita = true;
    unload();
}
