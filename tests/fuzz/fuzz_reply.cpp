// Fuzz entry point for the register reply readers: the serial collector fed in uneven reads,
// the datagram reader and collector and the header parser. Any input must leave them with a sane record.
#include "core/TextFile.h"
#include "reglink/ErrorTable.h"
#include "reglink/Frame.h"
#include "reglink/StockBooking.h"

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

// One of the table's classes.
bool azioneValida(RegLink::AzioneErrore a)
{
    using enum RegLink::AzioneErrore;
    switch (a) {
    case Prosegui:
    case Ripeti:
    case Ignora:
    case MostraERinvia:
    case ErroreGrave:
        return true;
    }
    return false;
}

void checkReply(const QString& testo)
{
    const RispostaCassaRec r = RegLink::AnalizzaRisposta(testo.left(8));
    require(r.stato.isEmpty());
    require(azioneValida(r.azione));
    if (!r.numeroErrore.isEmpty()) {
        bool ok = false;
        const qlonglong n = r.numeroErrore.toLongLong(&ok);
        require(ok && n >= 0);
        require(r.descrizione.isEmpty() == (n < 1 || n > RegLink::kNumeroErroriCassa));
    } else {
        require(r.descrizione.isEmpty() && r.azione == RegLink::AzioneErrore::Prosegui);
    }
}

void checkEvent(const std::optional<RegLink::EventoRicezione>& e)
{
    if (!e || e->tipo != RegLink::EventoRicezione::Frame)
        return;
    if (e->checksumOk) {
        // A frame taken as good must really carry the checksum of its text.
        QString body;
        require(RegLink::ChecksumCorretto(e->testo + RegLink::CalcolaChecksum(e->testo), &body));
        require(body == e->testo);
    }
    checkReply(e->testo);
}

} // namespace

// The received-file reader: every line is a record or counted as malformed, never both.
void checkReceivedFile(const QByteArray& bytes)
{
    for (const bool piruNex : {true, false}) {
        const StockBooking::Lettura l = StockBooking::LeggiTestoPLU(bytes, StockBooking::posizioniCampi(piruNex, 2));
        require(l.aperto && l.malformati >= 0);
        for (const StockBooking::RecordRicevuto& r : l.records)
            require(std::isfinite(r.quantita) && !r.barCode.contains(QLatin1Char('/')));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = TextFile::decode(bytes);
    checkReceivedFile(bytes);

    RegLink::RicevitoreSeriale rx;
    const qsizetype step = 1 + (size ? data[0] % 7 : 0);
    for (qsizetype i = 0; i < text.size(); i += step)
        checkEvent(rx.aggiungi(text.mid(i, step)));
    checkEvent(RegLink::AnalizzaDatagramma(text));
    RegLink::RicevitoreUDP udp; // the same text as datagrams of uneven size
    for (qsizetype i = 0; i < text.size(); i += step + 2)
        checkEvent(udp.aggiungi(text.mid(i, step + 2)));
    checkReply(text);

    QString numero = text.left(4);
    QString descrizione;
    require(azioneValida(RegLink::DescrizioneErrore(numero, descrizione)));

    int bit = 8;
    const QString bits = RegLink::BinarioDaIntero(text.size() > 8 ? qint64(text.size()) << 40 : text.size(), bit);
    require(bits.size() == bit && bit <= 64);
    return 0;
}
