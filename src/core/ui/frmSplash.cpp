#include "core/ui/frmSplash.h"

#include "core/AppState.h"
#include "core/Progress.h"
#include "core/ui/Ui.h"
#include "core/ui/mdiPrincipale.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

frmSplash::frmSplash(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    auto* outer = new QVBoxLayout(this);
    auto* frame = named(new QFrame(this), QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);
    outer->addWidget(frame);
    auto* lay = new QVBoxLayout(frame);
    lblCompanyProduct = named(new QLabel(frame), QStringLiteral("lblCompanyProduct"));
    QFont big = lblCompanyProduct->font();
    big.setPointSize(28);
    big.setBold(true);
    lblCompanyProduct->setFont(big);
    lblVersion = named(new QLabel(frame), QStringLiteral("lblVersion"));
    lblPlatform = named(new QLabel(frame), QStringLiteral("lblPlatform"));
    lblSottoVersione =
        named(new QLabel(QStringLiteral("Gestione magazzino e casse"), frame), QStringLiteral("lblSottoVersione"));
    lblWarning = named(new QLabel(frame), QStringLiteral("lblWarning"));
    for (QLabel* l : {lblCompanyProduct, lblSottoVersione, lblVersion, lblPlatform, lblWarning}) {
        l->setAlignment(Qt::AlignCenter);
        lay->addWidget(l);
    }
    TimerCarica = new QTimer(this);
    TimerCarica->setObjectName(QStringLiteral("TimerCarica"));
    TimerCarica->setInterval(3000);
    connect(TimerCarica, &QTimer::timeout, this, &frmSplash::TimerCarica_Timer);
    resize(520, 300);
    centraSuSchermo(this);
}

void frmSplash::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    lblVersion->setText(
        QStringLiteral("Versione %1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision()));
    lblCompanyProduct->setText(app().titoloProgramma);
    lblPlatform->setText(QStringLiteral("x Sistemi Linux"));
    lblWarning->setText(QStringLiteral("ATTENDERE Prego... Inizializzazione in Corso"));
    QApplication::processEvents();
}

void frmSplash::formActivate()
{
    if (m_activated || m_handedOver)
        return;
    m_activated = true;
    QPointer<frmSplash> self(this);
    Forms::get<mdiPrincipale>(); // loaded, not shown
    const bool linked = hooks().gestisciTabelleCollegate && hooks().gestisciTabelleCollegate();
    // The link and the copy let events run: a key may have handed over (and unloaded us) meanwhile.
    if (!self || m_handedOver)
        return;
    if (linked) {
        if (hooks().importaDaDatabaseEsterno) {
            NoProgress nessuno; // the copy logs its own failure; start-up goes on either way
            hooks().importaDaDatabaseEsterno(nessuno);
        }
        if (self)
            handover();
    } else {
        TimerCarica->start();
    }
}

void frmSplash::TimerCarica_Timer()
{
    TimerCarica->stop();
    handover();
}

void frmSplash::keyPressEvent(QKeyEvent* e)
{
    e->accept();
    handover();
}

void frmSplash::handover()
{
    if (m_handedOver)
        return;
    m_handedOver = true;
    TimerCarica->stop();
    mdiPrincipale& main = Forms::get<mdiPrincipale>();
    unload();
    main.showModeless();
    // Shown from the event loop, not from inside this window, which is being unloaded.
    QTimer::singleShot(0, qApp, [] {
        if (hooks().mostraMagazzinoModale)
            hooks().mostraMagazzinoModale();
    });
}
