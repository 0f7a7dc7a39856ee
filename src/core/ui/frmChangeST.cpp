#include "core/ui/frmChangeST.h"

#include "core/AppState.h"
#include "core/config/STdiSISTEMA.h"
#include "core/ui/Printers.h"
#include "core/ui/Ui.h"
#include "core/ui/frmSetupCassa.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmChangeST::frmChangeST(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("frmChangeST"));
    setWindowTitle(QStringLiteral("Cambia la Stampante di sistema"));
    auto* lay = new QVBoxLayout(this);
    Label1 = named(new QLabel(QStringLiteral("Selezionare la stampante dall'elenco seguente"), this),
                   QStringLiteral("Label1"));
    lay->addWidget(Label1);
    List1 = named(new QListWidget(this), QStringLiteral("List1"), Label1->text());
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    lay->addWidget(List1, 1);
    auto* buttons = new QHBoxLayout;
    cmdApplicaST = named(new QPushButton(QStringLiteral("Applica"), this), QStringLiteral("cmdApplicaST"));
    cmdAnnullaImpo = named(new QPushButton(QStringLiteral("Annulla"), this), QStringLiteral("cmdAnnullaImpo"));
    buttons->addStretch(1);
    buttons->addWidget(cmdApplicaST);
    buttons->addWidget(cmdAnnullaImpo);
    lay->addLayout(buttons);
    connect(cmdApplicaST, &QPushButton::clicked, this, &frmChangeST::cmdApplicaST_Click);
    connect(cmdAnnullaImpo, &QPushButton::clicked, this, &frmChangeST::cmdAnnullaImpo_Click);
    resize(twips(5400), twips(4200));
}

void frmChangeST::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    List1->clear();
    List1->addItems(Printers::installed());
}

void frmChangeST::cmdApplicaST_Click()
{
    QListWidgetItem* item = List1->currentItem();
    if (!item || !item->isSelected()) {
        Msg::box(QStringLiteral("Selezionare una Stampante dall'Elenco"), QMessageBox::Ok, QMessageBox::Information);
        return;
    }
    const QString nome = item->text();
    const bool a4 = tag() == QLatin1String("0");
    const QString chiave = a4 ? QStringLiteral("Predefinita") : QStringLiteral("xFrontalini");
    if (!ScriviInSetupLaST(nome, chiave)) {
        // Not stored: the settings window must not show it as the chosen printer.
        Msg::box(QStringLiteral("Impossibile salvare la stampante scelta nel file delle impostazioni (Setup.ini)."),
                 QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    if (frmSetupCassa* setup = Forms::instance<frmSetupCassa>())
        (a4 ? setup->txtStA4 : setup->txtStFR)->setText(nome);
    unload();
}

void frmChangeST::cmdAnnullaImpo_Click()
{
    unload();
}

bool frmChangeST::ScriviInSetupLaST(const QString& nome, const QString& chiave)
{
    return Config::STdiSISTEMA::scrivi(chiave, nome);
}

bool frmChangeST::EseguiAssegnazioneST(const QString& nome, const QString& chiave)
{
    Q_UNUSED(chiave);
    const int codice = Printers::setSystemDefault(nome);
    if (codice != 0) {
        Msg::box(QStringLiteral("Impostazione della Stampante Fallita. Codice di Errore: ") + QString::number(codice));
        return false;
    }
    if (Printers::current() != nome)
        ImpostaPrinter(nome);
    return true;
}
