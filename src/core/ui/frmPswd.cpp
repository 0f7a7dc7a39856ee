#include "core/ui/frmPswd.h"

#include "core/AppState.h"
#include "core/Wait.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Ui.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kPassword = QStringLiteral("BORDASK");
const QString kModoTecnico = QStringLiteral("TCN");
} // namespace

frmPswd::frmPswd(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("frmPswd"));
    setWindowTitle(QStringLiteral("Accesso Area/Funzione Protetta"));
    auto* outer = new QVBoxLayout(this);
    Frame1 = named(new QFrame(this), QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setAutoFillBackground(true);
    outer->addWidget(Frame1);
    auto* lay = new QVBoxLayout(Frame1);
    lblCodice = named(new QLabel(QStringLiteral("DIGITA LA PASSWORD"), Frame1), QStringLiteral("lblCodice"));
    lblCodice->setAlignment(Qt::AlignCenter);
    lay->addWidget(lblCodice);
    TxtCodice = named(new QLineEdit(Frame1), QStringLiteral("TxtCodice"), QStringLiteral("DIGITA LA PASSWORD"));
    TxtCodice->setEchoMode(QLineEdit::Password);
    TxtCodice->setMaxLength(10);
    lblCodice->setBuddy(TxtCodice);
    lay->addWidget(TxtCodice);
    auto* buttons = new QHBoxLayout();
    cmdOk = named(new QPushButton(QStringLiteral("&Conferma"), Frame1), QStringLiteral("cmdOk"));
    cmdEsci = named(new QPushButton(QStringLiteral("&Annulla"), Frame1), QStringLiteral("cmdEsci"));
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdEsci);
    lay->addLayout(buttons);
    connect(cmdOk, &QPushButton::clicked, this, &frmPswd::cmdOk_Click);
    connect(cmdEsci, &QPushButton::clicked, this, &frmPswd::cmdEsci_Click);
    // Enter confirms a non-empty box; the key itself goes on unchanged.
    KeyPressFilter::install(TxtCodice, [this](int key) {
        if (key == 13 && !TxtCodice->text().isEmpty())
            cmdOk_Click();
        return key;
    });
    resize(360, 170);
}

void frmPswd::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    setBackground(Frame1, app().coloreSfondo);
    setBackground(lblCodice, app().coloreSfondo);
    app().tecnicoAbilitato = 0;
    Attesa(650, InputUtente::Trattenuto);
}

void frmPswd::formActivate()
{
    setBackground(this, app().coloreSfondo);
}

void frmPswd::cmdOk_Click()
{
    if (tag() == kModoTecnico) {
        if (TxtCodice->text() == kPassword) {
            app().tecnicoAbilitato = 1;
            setTag(QString());
            unload();
            return;
        }
    }
    // A wrong password, or a window not opened for the technician: never accepted.
    app().tecnicoAbilitato = 0;
    Msg::box(QStringLiteral("PASSWORD ERRATA RIPROVARE"), QMessageBox::Ok, QMessageBox::Warning, QMessageBox::NoButton,
             QStringLiteral("ATTENZIONE"));
    TxtCodice->clear();
    TxtCodice->setFocus();
}

void frmPswd::cmdEsci_Click()
{
    app().tecnicoAbilitato = 0;
    unload();
}

bool frmPswd::chiediTecnico()
{
    QPointer<frmPswd> f = Forms::carica<frmPswd>();
    if (!f)
        return false;
    f->setTag(kModoTecnico);
    f->showModal();
    return app().tecnicoAbilitato == 1;
}
