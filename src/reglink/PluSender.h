#pragma once
// The article window's PLU send: staging once, then for each configured register its command file
// sent by EsameComandi, the outcome per register, and the clearing of the articles' Modificato marks.
#include "core/AppState.h"
#include "core/ErrorLog.h"
#include "core/Read.h"
#include "reglink/CommandSender.h"
#include "reglink/TransferPanel.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace PluSender {

// A register to serve: its number, the suffix of its command file and the line given to EsameComandi.
struct CassaDaServire
{
    int numero = 1;
    QString suffisso;
    QString porta;
    bool rete = false; // register 1 by its network address
};
// Registers 1, 2, 3 whose setting is present: register 1 by PortaCOM, else by PortaETH1.
QList<CassaDaServire> casseConfigurate(const ImpostazioniRegCassa& rc, const QString& portaETH1);

// What happens to the marks after a send that served `servite` registers. Only a send that every
// register configured by serial port accepted clears them; a network-only register 1 never does.
enum class [[nodiscard]] Segni{Mantieni, Chiedi, Azzera};
Segni regolaSegni(const ImpostazioniRegCassa& rc, int servite);

// Clears every article's changed mark, then a short wait. The articles in `daTenere` (codes) are
// marked again in the same transaction: a register refused them, so they must go out again. A
// failure (logged) leaves every mark as it was.
Esito AzzeraModificati(const QStringList& daTenere = {});

// The articles (CodMateriale as staged) behind PLU command lines: a "P/" line by its barcode
// field 3, an "A/" line by its field 2, found in the staging table the lines were written from.
// A failed read is returned as such: no mark may be cleared on its strength.
Letto<QStringList> articoliDelleRighe(const QStringList& righe);

// What hands a command file to a register.
class Mittente
{
public:
    virtual ~Mittente() = default;
    virtual RegLink::EsitoComandi invia(const QString& file, const QString& porta) = 0;
};

// The program's sender: RegLink::EsameComandiEsito, with the lines sent shown in the panel's lblRecAct.
class MittenteCassa final : public Mittente
{
public:
    explicit MittenteCassa(PannelloTrasferimento& p);
    RegLink::EsitoComandi invia(const QString& file, const QString& porta) override;

private:
    PannelloTrasferimento& m_p;
};

// The article send to every configured register (the button "cmdInviaPLU"). Ignored while another
// transfer runs; tmrImporta gets back its state on every way out.
void inviaAlleCasse(PannelloTrasferimento& p, Mittente& mittente);

// The box ckModificati changed: unticking offers to clear every mark; ticking selects optTrasf 1.
void cambiaSoloModificati(PannelloTrasferimento& p);

} // namespace PluSender
