#include "core/ui/frmSplash.h"

#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/Programma.h"
#include "core/Wait.h"
#include "core/ui/Ui.h"
#include "core/ui/mdiPrincipale.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
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
    LasciaScorrereEventi(InputUtente::Trattenuto);
}

void frmSplash::formActivate()
{
    if (m_activated || m_handedOver)
        return;
    m_activated = true;
    QPointer<frmSplash> self(this);
    Forms::get<mdiPrincipale>(); // loaded, not shown
    // The link and the copy tell how far they are on the splash's warning line.
    class Avanzamento final : public ProgressSink
    {
    public:
        explicit Avanzamento(QPointer<frmSplash> s) : m_s(std::move(s)) {}
        void setRange(int, int) override {}
        void setValue(int) override {}
        void setStatus(const QString& t) override
        {
            if (m_s)
                m_s->lblWarning->setText(t);
        }

    private:
        QPointer<frmSplash> m_s;
    } avanzamento(self);
    // A link or copy that failed left the archive as it was: logged and told once, here.
    const auto nonAggiornato = [](const QString& modulo, const QString& procedura, const Esito& e) {
        ScriviErrore(modulo, procedura, e);
        Contesto::interazione().warn(QStringLiteral("L'archivio non è stato aggiornato dal database esterno.\n") +
                                     QStringLiteral("Motivo: ") + e.descrizione);
    };
    bool linked = false;
    const Esito collegamento = Contesto::programma().gestisciTabelleCollegate(avanzamento, linked);
    if (!collegamento)
        nonAggiornato(QStringLiteral("Funzioni"), QStringLiteral("GestisciTabelleCollegate"), collegamento);
    // The link and the copy let events run: a key may have handed over (and unloaded us) meanwhile.
    if (!self || m_handedOver)
        return;
    if (linked) {
        const Esito copia = Contesto::programma().importaDaDatabaseEsterno(avanzamento);
        if (!copia)
            nonAggiornato(QStringLiteral("frmSplash"), QStringLiteral("ImportaDaDatabaseEsterno"), copia);
        if (self)
            handover();
    } else if (m_closeAsked) {
        handover();
    } else {
        TimerCarica->start();
    }
}

bool frmSplash::formQueryUnload()
{
    if (m_handedOver)
        return true;
    // Closed by the window manager: the window stays until the handover unloads it, so the program
    // is never left without a window (nor holding its lock with none).
    m_closeAsked = true;
    QPointer<frmSplash> self(this);
    if (!m_activated) {
        // The start-up steps of the activation come first, the handover after them.
        QTimer::singleShot(0, this, [self] {
            if (self && !self->m_activated)
                self->formActivate();
        });
    } else if (TimerCarica->isActive()) {
        TimerCarica->stop();
        QTimer::singleShot(0, this, [self] {
            if (self)
                self->handover();
        });
    }
    // Otherwise the external-database copy is running and hands over when it ends.
    return false;
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
    QTimer::singleShot(0, qApp, [] { Contesto::programma().mostraMagazzinoModale(); });
}
