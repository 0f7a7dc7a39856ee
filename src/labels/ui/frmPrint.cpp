#include "labels/ui/frmPrint.h"

#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Ui.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

// The old fields held 16-bit numbers: anything else is not a page or a label.
constexpr int kMassimo16 = 32767;

// A whole number typed in a box, or 0 when it is empty, not a whole number or too large.
int numeroDi(const QLineEdit* box)
{
    const QString t = box->text().trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    return ok && v > 0 && v <= kMassimo16 ? int(v) : 0;
}

} // namespace

frmPrint::frmPrint(Interaction& interazione, QWidget* parent) : FormBase(parent), m_interazione(interazione)
{
    setWindowTitle(QStringLiteral("Stampa Etichetta"));
    auto* v = new QVBoxLayout(this);
    fraOptions = named(new QGroupBox(this), QStringLiteral("fraOptions"));
    auto* g = new QGridLayout(fraOptions);
    const std::array<const char*, 4> testi = {"Pagina corrente", "Tutte le pagine", "Pagina scelte",
                                              "Etichetta Numero"};
    auto* gruppo = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        optPrint[i] =
            named(new QRadioButton(QString::fromUtf8(testi[i]), fraOptions), QStringLiteral("optPrint(%1)").arg(i));
        gruppo->addButton(optPrint[i], i);
        connect(optPrint[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optPrint_Click(i);
        });
    }
    txtStart = named(new QLineEdit(fraOptions), QStringLiteral("txtStart"));
    txtEnd = named(new QLineEdit(fraOptions), QStringLiteral("txtEnd"));
    txtNumEti = named(new QLineEdit(fraOptions), QStringLiteral("txtNumEti"));
    KeyPressFilter::installMode(txtNumEti, 1);
    g->addWidget(optPrint[0], 0, 0);
    g->addWidget(optPrint[1], 1, 0);
    g->addWidget(optPrint[2], 2, 0);
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("Inizio:"), fraOptions));
    range->addWidget(txtStart);
    range->addWidget(new QLabel(QStringLiteral("Fine:"), fraOptions));
    range->addWidget(txtEnd);
    g->addLayout(range, 3, 0, 1, 2);
    g->addWidget(optPrint[3], 4, 0);
    g->addWidget(txtNumEti, 4, 1);
    v->addWidget(fraOptions);

    auto* stato = new QHBoxLayout;
    stato->addWidget(new QLabel(QStringLiteral("Pagina:"), this));
    lblPages = named(new QLabel(QStringLiteral("0 / 0"), this), QStringLiteral("lblPages"));
    stato->addWidget(lblPages, 1);
    v->addLayout(stato);
    auto* bottoni = new QHBoxLayout;
    cmdPrint = named(new QPushButton(QStringLiteral("&Stampa"), this), QStringLiteral("cmdPrint"));
    cmdCancel = named(new QPushButton(QStringLiteral("&Cancella"), this), QStringLiteral("cmdCancel"));
    cmdPrint->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    bottoni->addWidget(cmdPrint);
    bottoni->addWidget(cmdCancel);
    v->addLayout(bottoni);
    connect(cmdPrint, &QPushButton::clicked, this, &frmPrint::cmdPrint_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPrint::cmdCancel_Click);
}

void frmPrint::formLoad()
{
    Attesa(650, InputUtente::Trattenuto);
}

void frmPrint::showEvent(QShowEvent* e)
{
    FormBase::showEvent(e);
    if (!m_preparato)
        prepara();
}

void frmPrint::prepara()
{
    m_preparato = true;
    const bool piuPagine = m_massimo >= 2;
    optPrint[1]->setEnabled(piuPagine);
    optPrint[2]->setEnabled(piuPagine);
    txtStart->setEnabled(piuPagine);
    txtEnd->setEnabled(piuPagine);
    lblPages->setText(QStringLiteral("%1 / %2").arg(m_corrente).arg(m_massimo));
    if (optPrint[0]->isChecked())
        optPrint_Click(0);
    else
        optPrint[0]->setChecked(true);
    txtStart->setText(QStringLiteral("1"));
    txtEnd->setText(QString::number(m_massimo));
}

void frmPrint::optPrint_Click(int i)
{
    txtStart->setReadOnly(i != 2);
    txtEnd->setReadOnly(i != 2);
    if (i == 0) {
        txtStart->setText(QString::number(m_corrente));
        txtEnd->setText(QString::number(m_corrente));
        txtNumEti->setEnabled(false);
    } else if (i == 3) {
        txtNumEti->setEnabled(true);
        txtNumEti->setFocus();
    } else {
        txtStart->setText(QStringLiteral("1"));
        txtEnd->setText(QString::number(m_massimo));
        txtNumEti->setEnabled(false);
    }
}

void frmPrint::cmdPrint_Click()
{
    const int s = numeroDi(txtStart);
    const int e = numeroDi(txtEnd);
    bool ok = true;
    m_numero = 0;
    if (optPrint[0]->isChecked()) {
        m_inizio = m_fine = m_corrente;
        ok = m_corrente >= 1;
    } else if (optPrint[1]->isChecked()) {
        m_inizio = 1;
        m_fine = m_massimo;
        ok = m_massimo >= 1;
    } else if (optPrint[2]->isChecked()) {
        // A range that starts past the last page holds no label; one that ends past it is cut there.
        m_inizio = s;
        m_fine = e;
        ok = s > 0 && e > 0 && s <= e && s <= m_massimo;
    } else if (optPrint[3]->isChecked()) {
        m_inizio = m_fine = 1;
        m_numero = numeroDi(txtNumEti);
        ok = m_numero >= 1 && m_numero <= m_perFoglio;
    }
    if (!ok) {
        m_stampa = false;
        m_interazione.ask(QStringLiteral("Inserire dati validi"), Interaction::Ok, Interaction::Icon::None,
                          Interaction::NoButton, QStringLiteral("Stampa Etichetta"));
        return;
    }
    m_stampa = true;
    hide();
}

void frmPrint::cmdCancel_Click()
{
    m_stampa = false;
    hide();
}
