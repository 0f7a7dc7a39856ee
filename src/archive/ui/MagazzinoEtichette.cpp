#include "archive/ui/MagazzinoEtichette.h"

#include "archive/ui/Magazzino.h"
#include "core/Contesto.h"
#include "labels/ui/StampaFrontalino.h"

#include <QCheckBox>
#include <QPushButton>

void collegaStampaFrontalino(Magazzino& w, ScegliFont& font)
{
    QObject::connect(w.cmdStampaFrontalino, &QPushButton::clicked, &w, [&w, &font] {
        StampaFrontalino::cmdStampaFrontalino_Click(Contesto::interazione(), font,
                                                    {w.ckModificati->isChecked(), w.perFrontalini()},
                                                    w.ListMagazzino->articoloSelezionato());
    });
}
