// The article window's links to the data reports and the spreadsheet exports.
#include "archive/ui/Magazzino.h"
#include "core/Contesto.h"
#include "core/Progress.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "labels/ui/ReportComandi.h"

#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {
Interaction& interazione()
{
    return Contesto::interazione();
}

// An export's progress under the print buttons: the bar and the count of rows, the window
// painted now and then (user input waits until the export ends). The IN-folder poll is held
// while the export reads the archive, so no import changes it half way.
class BarraEsportazione final : public ProgressSink
{
public:
    BarraEsportazione(QProgressBar* barra, QLabel* conteggio, QTimer* poll)
        : m_barra(barra), m_conteggio(conteggio), m_poll(poll), m_pollAttivo(poll->isActive())
    {
        m_poll->stop();
    }
    ~BarraEsportazione() override
    {
        m_barra->hide();
        m_conteggio->hide();
        if (m_pollAttivo)
            m_poll->start();
    }
    BarraEsportazione(const BarraEsportazione&) = delete;
    BarraEsportazione& operator=(const BarraEsportazione&) = delete;

    void setRange(int minimo, int massimo) override
    {
        m_barra->setRange(minimo, massimo);
        m_barra->show();
        m_conteggio->show();
        dipingi(true);
    }
    void setValue(int valore) override
    {
        m_barra->setValue(valore);
        const QString fatti = Vb::italian().toString(valore);
        m_conteggio->setText(m_barra->maximum() > m_barra->minimum()
                                 ? fatti + QStringLiteral(" / ") + Vb::italian().toString(m_barra->maximum())
                                 : fatti);
        dipingi(false);
    }
    void setStatus(const QString& testo) override
    {
        m_barra->setToolTip(testo);
        m_conteggio->setToolTip(testo);
    }

private:
    // At most ten times a second: the export's own time goes to the export.
    void dipingi(bool subito)
    {
        if (!subito && m_ultima.isValid() && m_ultima.elapsed() < 100)
            return;
        m_ultima.start();
        LasciaScorrereEventi(InputUtente::Trattenuto);
    }

    QProgressBar* m_barra;
    QLabel* m_conteggio;
    QTimer* m_poll;
    const bool m_pollAttivo;
    QElapsedTimer m_ultima;
};

} // namespace

void Magazzino::collegaStampe()
{
    connect(cmdStampaMagazzino, &QPushButton::clicked, this, [this] {
        BarraEsportazione barra(pbEsporta, lblEsporta, tmrImporta);
        ReportComandi::cmdStampaMagazzino_Click(interazione(), this, ListMagazzino->articoli(),
                                                optCerca[4]->isChecked(), barra);
    });
    connect(cmdStampaVPLU, &QPushButton::clicked, this, [this] {
        BarraEsportazione barra(pbEsporta, lblEsporta, tmrImporta);
        ReportComandi::cmdStampaVPLU_Click(interazione(), this, dtGiornoRif->date(), dtDataAl->date(), barra);
    });
    connect(cmdStampaElencoOfferte, &QPushButton::clicked, this, [this] {
        ReportComandi::cmdStampaElencoOfferte_Click(interazione(), this, lstOfferte->offerte());
        focusRicBarCode();
    });
}
