#include "archive/ui/MagazzinoEtichette.h"

#include "archive/ui/Magazzino.h"
#include "core/ui/WidgetInteraction.h"
#include "labels/ui/StampaFrontalino.h"

#include <QCheckBox>
#include <QPushButton>

void collegaStampaFrontalino(Magazzino& w)
{
    QObject::connect(w.cmdStampaFrontalino, &QPushButton::clicked, &w, [&w] {
        static WidgetInteraction interazione;
        static DialogoFont font;
        std::optional<RigaArticolo> riga;
        if (const int r = w.ListMagazzino->selectedRow(); r >= 0) {
            const ListaReport* l = w.ListMagazzino;
            riga = RigaArticolo{l->testo(r, ArticleList::colCod), l->testo(r, ArticleList::colDescrizione),
                                l->testo(r, ArticleList::colPrezzoV), l->testo(r, ArticleList::colBarCode),
                                l->testo(r, ArticleList::colPesoConf)};
        }
        StampaFrontalino::cmdStampaFrontalino_Click(interazione, font, {w.ckModificati->isChecked(), w.perFrontalini()},
                                                    riga);
    });
}
