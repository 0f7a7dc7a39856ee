// The article window's links to the register link: sending PLUs, receiving sold quantities,
// and the line's progress and state texts.
#include "archive/Magazzino.h"
#include "reglink/CommandSender.h"
#include "reglink/PluSender.h"
#include "reglink/Reception.h"
#include "reglink/RegisterLine.h"
#include "reglink/TransferPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

void Magazzino::collegaCasse()
{
    connect(cmdInviaPLU, &QPushButton::clicked, this,
            [this] { PluSender::cmdInviaPLU_Click(pannelloTrasferimento()); });
    connect(cmdRiceviPLU, &QPushButton::clicked, this,
            [this] { Reception::cmdRiceviPLU_Click(pannelloTrasferimento()); });
    connect(cmdGeneraFile, &QPushButton::clicked, this,
            [this] { Reception::cmdGeneraFile_Click(pannelloTrasferimento()); });
    connect(this, &Magazzino::modificatiCambiato, this,
            [this] { PluSender::ckModificati_Click(pannelloTrasferimento()); });

    QPointer<Magazzino> w(this);
    RegLink::linea().mostraStato = [w](const QString& testo) {
        if (!w)
            return;
        w->lblTab->setText(testo);
        w->lblTab->show();
    };
    RegLink::comandiHooks().progresso = [w](int righe) {
        if (w)
            w->lblRecAct->setText(QString::number(righe));
    };
    // The main window's register port is closed when the article window loads.
    estensioniMagazzino().preparaPortaCassa = [](Magazzino&) {
        if (RegLink::linea().portaSerialeAperta())
            RegLink::linea().chiudiPortaSeriale();
    };
}
