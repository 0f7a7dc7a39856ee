// Fuzz entry point for the central warehouse's line and file readers: any line must give fields
// that fit their places, finite numbers and dates that are either "0" or a real ISO date; a file
// taken as ready holds its lines, one of them at least of its kind.
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "import/Cedi.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void checkCampo(const QString& c, int larghezza)
{
    require(!c.isNull() && c.size() <= larghezza && c == c.trimmed());
}

void checkData(const QString& d)
{
    require(d == QLatin1String("0") || Vb::fromIso(d).isValid());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QString& riga : TextFile::splitLines(TextFile::decode(bytes))) {
        const Cedi::RigaA a = Cedi::leggiRigaA(riga);
        for (int n = 1; n <= Cedi::kCampiA; ++n) {
            checkCampo(a.campo(n), Cedi::campiA()[size_t(n - 1)].lunghezza);
            require(std::isfinite(a.numero(n)));
            (void)a.intero(n);
        }
        require(a.tipoVariazione == a.campo(1) && a.artCEDI == a.campo(12));
        require(a.intero(27) == a.quantita && std::isfinite(a.costo) && std::isfinite(a.prezzoPromo));
        checkData(a.dataInizioPromo);
        checkData(a.dataFinePromo);
        checkData(Cedi::dataCentrale(riga.left(12)));

        const Cedi::RigaB b = Cedi::leggiRigaB(riga);
        for (int n = 0; n < Cedi::kCampiB; ++n)
            checkCampo(b.campi[size_t(n)], Cedi::campiB()[size_t(n)].lunghezza);
    }
    // The whole-file check: a ready file holds its non-blank lines, at least one of its kind;
    // a refused one says why and holds none.
    for (const Cedi::TipoFile tipo : {Cedi::TipoFile::Articoli, Cedi::TipoFile::Variazioni}) {
        const Cedi::EsameFile e = Cedi::esaminaFile(bytes, tipo);
        require(e.stato == Cedi::EsameFile::Stato::Pronto ? e.motivo.isEmpty()
                                                          : !e.motivo.isEmpty() && e.righe.isEmpty());
        bool delTipo = e.righe.isEmpty();
        for (const QString& r : e.righe) {
            require(std::any_of(r.cbegin(), r.cend(), [](QChar c) { return c != u' ' && c != u'\t'; }));
            if (tipo == Cedi::TipoFile::Articoli) {
                const QString k = Cedi::leggiRigaA(r).tipoVariazione;
                delTipo = delTipo || k == QLatin1String("M") || k == QLatin1String("N");
            } else {
                const Cedi::RigaB b = Cedi::leggiRigaB(r);
                delTipo = delTipo || !b.codEan().isEmpty() || !b.artCEDI().isEmpty();
            }
        }
        require(delTipo);
    }
    return 0;
}
