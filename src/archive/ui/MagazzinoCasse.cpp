// The article window's links to the register link: sending PLUs, receiving sold quantities,
// and the line's progress and state texts.
#include "archive/ui/Magazzino.h"
#include "core/Wait.h"
#include "core/ui/Ui.h"
#include "reglink/CommandSender.h"
#include "reglink/PluSender.h"
#include "reglink/Reception.h"
#include "reglink/RegisterLine.h"
#include "reglink/TransferPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

// The article window's controls as the register link sees them.
class PannelloMagazzino final : public PannelloTrasferimento
{
public:
    explicit PannelloMagazzino(Magazzino& w) : m_w(w) {}

    void cursoreAttesa(bool on) override { ::cursoreAttesa(on); }
    bool soloModificati() override { return m_w.ckModificati->isChecked(); }
    void setSoloModificati(bool on) override { m_w.ckModificati->setChecked(on); }
    void selezionaTrasf(int i) override
    {
        if (i >= 0 && i < 2)
            m_w.optTrasf[size_t(i)]->setChecked(true);
    }
    QString testoTab() override { return m_w.lblTab->text(); }
    void setTestoTab(const QString& t) override { m_w.lblTab->setText(t); }
    void mostraTab(bool on) override { m_w.lblTab->setVisible(on); }
    void setRecTot(const QString& t) override { m_w.lblRecTot->setText(t); }
    void setRecAct(const QString& t) override { m_w.lblRecAct->setText(t); }
    void setProgressRange(int lo, int hi) override { m_w.pB1->setRange(lo, hi); }
    void setProgressValue(int v) override { m_w.pB1->setValue(v); }
    int totArticoli() override { return m_w.lblTotArt->text().toInt(); }
    bool importaAttivo() override { return m_w.tmrImporta->isActive(); }
    void setImportaAttivo(bool on) override
    {
        if (on)
            m_w.tmrImporta->start();
        else
            m_w.tmrImporta->stop();
    }
    void ripetiRicerca() override { m_w.RipetiRicerca(); }
    void mostraStato(const QString& t) override { m_w.mostraLblTab(t); }

private:
    Magazzino& m_w;
};

} // namespace

PannelloTrasferimento& Magazzino::pannelloTrasferimento()
{
    if (!m_pannello)
        m_pannello = std::make_unique<PannelloMagazzino>(*this);
    return *m_pannello;
}

void Magazzino::collegaCasse()
{
    connect(cmdInviaPLU, &QPushButton::clicked, this, [this] {
        PluSender::MittenteCassa mittente(pannelloTrasferimento());
        PluSender::inviaAlleCasse(pannelloTrasferimento(), mittente);
    });
    // During a reception both buttons stay live: a click on either offers to stop it.
    connect(cmdRiceviPLU, &QPushButton::clicked, this, [this] {
        const ControlliVivi vivi{cmdRiceviPLU, cmdGeneraFile};
        Reception::leggiDalleCasse(pannelloTrasferimento());
    });
    connect(cmdGeneraFile, &QPushButton::clicked, this, [this] {
        const ControlliVivi vivi{cmdRiceviPLU, cmdGeneraFile};
        Reception::generaFileDati(pannelloTrasferimento());
    });
    connect(this, &Magazzino::modificatiCambiato, this,
            [this] { PluSender::cambiaSoloModificati(pannelloTrasferimento()); });
}

void Magazzino::mostraLblTab(const QString& testo)
{
    lblTab->setText(testo);
    lblTab->show();
}

// The main window's register port is closed when the article window loads.
void Magazzino::preparaPortaCassa()
{
    if (RegLink::linea().portaSerialeAperta())
        RegLink::linea().chiudiPortaSeriale();
}
