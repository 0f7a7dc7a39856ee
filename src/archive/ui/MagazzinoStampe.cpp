// The article window's links to the data reports and the spreadsheet exports.
#include "archive/ui/Magazzino.h"
#include "core/Contesto.h"
#include "labels/ui/ReportComandi.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
ReportTables::Righe righe(const ListaReport* l)
{
    ReportTables::Righe out;
    for (const RigaLista& r : l->lista()->righe())
        out << r.testo;
    return out;
}
Interaction& interazione()
{
    return Contesto::interazione();
}
} // namespace

void Magazzino::collegaStampe()
{
    connect(cmdStampaMagazzino, &QPushButton::clicked, this, [this] {
        ReportComandi::cmdStampaMagazzino_Click(interazione(), this, righe(ListMagazzino), totValore->text(),
                                                optCerca[4]->isChecked());
    });
    connect(cmdStampaVPLU, &QPushButton::clicked, this,
            [this] { ReportComandi::cmdStampaVPLU_Click(interazione(), this, dtGiornoRif->date(), dtDataAl->date()); });
    connect(cmdStampaElencoOfferte, &QPushButton::clicked, this, [this] {
        ReportComandi::cmdStampaElencoOfferte_Click(interazione(), this, righe(lstOfferte));
        focusRicBarCode();
    });
}
