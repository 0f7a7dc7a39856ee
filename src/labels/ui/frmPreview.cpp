#include "labels/ui/frmPreview.h"

#include "core/Wait.h"
#include "core/ui/Printers.h"
#include "core/ui/Ui.h"
#include "labels/DisegnoEtichette.h"
#include "labels/ui/frmPrint.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace {

// The print's progress, told in the preview's status text.
class StatoStampa final : public ProgressSink
{
public:
    explicit StatoStampa(QLabel* l) : m_label(l) {}
    void setRange(int, int) override {}
    void setValue(int) override {}
    void setStatus(const QString& t) override
    {
        m_label->setText(QStringLiteral("In corso... ") + t);
        m_label->repaint();
    }

private:
    QLabel* m_label;
};

} // namespace

frmPreview::frmPreview(Interaction& interazione, EasyPrint& documento, QWidget* parent)
    : FormBase(parent), m_interazione(interazione), m_documento(documento)
{
    setWindowTitle(QStringLiteral("Anteprima Etichette"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    picControl = named(new QWidget(this), QStringLiteral("picControl"));
    auto* h = new QHBoxLayout(picControl);
    h->addWidget(named(new QLabel(QStringLiteral("Zoom:"), picControl), QStringLiteral("lblView")));
    cboZoom = named(new QComboBox(picControl), QStringLiteral("cboZoom"));
    h->addWidget(cboZoom);
    cmdPrevious = named(new QPushButton(QStringLiteral("&Prec."), picControl), QStringLiteral("cmdPrevious"));
    cmdNext = named(new QPushButton(QStringLiteral("Su&cc."), picControl), QStringLiteral("cmdNext"));
    lblStatus = named(new QLabel(picControl), QStringLiteral("lblStatus"));
    lblStatus->setMinimumWidth(160);
    cmdPrint = named(new QPushButton(QStringLiteral("&Stampa"), picControl), QStringLiteral("cmdPrint"));
    cmdClose = named(new QPushButton(QStringLiteral("&Chiudi"), picControl), QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmdPrevious, cmdNext, cmdPrint, cmdClose})
        b->setAutoDefault(false);
    h->addWidget(cmdPrevious);
    h->addWidget(cmdNext);
    h->addWidget(lblStatus, 1);
    h->addWidget(cmdPrint);
    h->addWidget(cmdClose);
    v->addWidget(picControl);
    picScroll = named(new QScrollArea(this), QStringLiteral("picScroll"));
    picScroll->setBackgroundRole(QPalette::Dark);
    picScroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    picDoc = named(new QLabel, QStringLiteral("picDoc"));
    picDoc->setContentsMargins(16, 16, 16, 16);
    picScroll->setWidget(picDoc);
    v->addWidget(picScroll, 1);

    connect(cboZoom, &QComboBox::currentIndexChanged, this, &frmPreview::zoomScelto);
    connect(cmdNext, &QPushButton::clicked, this, &frmPreview::cmdNext_Click);
    connect(cmdPrevious, &QPushButton::clicked, this, &frmPreview::cmdPrevious_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &frmPreview::cmdPrint_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] { unload(); });
    resize(1000, 720);
}

void frmPreview::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    m_zoom = 100;
    m_adeguando = true;
    cboZoom->addItem(QStringLiteral("100 %"), 100);
    cboZoom->addItem(QStringLiteral("75 %"), 75);
    cboZoom->addItem(QStringLiteral("50 %"), 50);
    cboZoom->addItem(QStringLiteral("Pagina intera"), 0);
    cboZoom->addItem(QStringLiteral("Adatta"), -1);
    cboZoom->setCurrentIndex(0);
    m_adeguando = false;
    m_pagina = 1;
    m_pagine = m_documento.pages();
    Preview_Display(1);
    Attesa(650, InputUtente::Trattenuto);
}

void frmPreview::Preview_Display(int pagina)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pagina = pagina;
    Preview_Status();
    AdjustView();
    QApplication::restoreOverrideCursor();
}

void frmPreview::Preview_Status()
{
    cmdPrevious->setEnabled(m_pagina >= 2);
    cmdNext->setEnabled(m_pagina < m_pagine);
    lblStatus->setText(QStringLiteral("Pagina: %1 / %2").arg(m_pagina).arg(m_pagine));
}

void frmPreview::AdjustView()
{
    const double schermo = logicalDpiX() / 1440.0; // screen pixels per twip
    const QSizeF pagina = m_documento.pagina();
    double fattore = m_zoom / 100.0;
    const QSize vista = picScroll->maximumViewportSize();
    if (m_zoom == 0)
        fattore = (vista.height() / schermo - 480) / pagina.height();
    else if (m_zoom < 0)
        fattore = (vista.width() / schermo - 480) / pagina.width();
    if (!(fattore > 0))
        fattore = 0.1;
    const double k = fattore * schermo;
    QImage img(qMax(1, int(std::lround(pagina.width() * k))), qMax(1, int(std::lround(pagina.height() * k))),
               QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        DisegnoEtichette::disegnaPagina(p, k, m_documento, m_pagina);
    }
    ++m_disegni;
    m_adeguando = true;
    picDoc->setPixmap(QPixmap::fromImage(img));
    picDoc->adjustSize();
    picScroll->horizontalScrollBar()->setValue(0);
    picScroll->verticalScrollBar()->setValue(0);
    m_adeguando = false;
}

void frmPreview::resizeEvent(QResizeEvent* e)
{
    FormBase::resizeEvent(e);
    if (isFormLoaded() && m_zoom <= 0)
        AdjustView();
}

void frmPreview::zoomScelto()
{
    if (m_adeguando || cboZoom->currentIndex() < 0)
        return;
    const double z = cboZoom->currentData().toDouble();
    if (z == m_zoom)
        return;
    m_zoom = z;
    AdjustView();
}

void frmPreview::cmdNext_Click()
{
    if (m_pagina >= m_pagine)
        return;
    Preview_Display(m_pagina + 1);
}

void frmPreview::cmdPrevious_Click()
{
    if (m_pagina <= 1)
        return;
    Preview_Display(m_pagina - 1);
}

void frmPreview::cmdPrint_Click()
{
    QPointer<frmPreview> self(this);
    QPointer<frmPrint> f = new frmPrint(m_interazione, this);
    f->setPageCurrent(m_pagina);
    f->setPageMax(m_pagine);
    f->setEtichettePerFoglio(m_documento.etichettePerFoglio());
    f->load();
    if (!f)
        return;
    f->showModal();
    if (!f || !self)
        return;
    const bool conferma = f->printDoc();
    const int da = f->pageStart();
    const int a = f->pageEnd();
    const int numero = f->numeroEtichetta();
    f->unload();
    if (conferma)
        stampa(da, a, numero);
}

void frmPreview::stampa(int da, int a, int numero)
{
    const QList<int> pagine = DisegnoEtichette::pagineDaStampare(m_documento, da, a, numero);
    if (pagine.isEmpty())
        return; // no label in the range: no job, no blank sheet
    lblStatus->setText(QStringLiteral("In corso..."));
    lblStatus->repaint();
    Esito esito;
    const auto stampante = Printers::printerFor();
    if (!stampante) {
        esito = Esito::fallito(VbErr::PermissionDenied, QStringLiteral("stampante non disponibile"));
        ScriviErrore(QStringLiteral("StampaFront"), QStringLiteral("PrintDoc"), esito);
    } else {
        stampante->setFullPage(true);
        StatoStampa stato(lblStatus);
        esito = DisegnoEtichette::stampa(*stampante, m_documento, pagine, numero, stato);
    }
    Preview_Status();
    if (!esito)
        m_interazione.error(QStringLiteral("Stampa delle etichette non riuscita: ") + esito.descrizione);
}
