// Fuzz entry point for the central warehouse's line and file readers: any line must give fields
// that fit their places, finite numbers and dates that are either "0" or a real ISO date; a file
// taken as ready holds only whole records.
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "import/Cedi.h"

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
    // The whole-file check: a ready file holds only whole records of its kind.
    for (const Cedi::TipoFile tipo : {Cedi::TipoFile::Articoli, Cedi::TipoFile::Variazioni}) {
        const Cedi::EsameFile e = Cedi::esaminaFile(bytes, tipo);
        const int lunghezza = tipo == Cedi::TipoFile::Articoli ? Cedi::kLunghezzaA : Cedi::kLunghezzaB;
        require(e.stato == Cedi::EsameFile::Stato::Pronto ? e.motivo.isEmpty() : !e.motivo.isEmpty());
        for (const QString& r : e.righe)
            require(r.size() >= lunghezza);
    }
    return 0;
}
