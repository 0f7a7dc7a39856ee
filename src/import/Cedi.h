#pragma once
// The chain's central-warehouse files: article files (A*.txt, one RecordPLUSigma line per
// article) and variation files (B*.txt, one RecordPLUVar line per article barcode), their
// fixed-width line readers and the two engines that apply them to the archive and to B_CEDI.
#include "core/ErrorLog.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class ProgressSink;
namespace Articoli {
class Lotto;
}

namespace Cedi {

// A field cut out of a line: start (from 1) and length.
struct Campo
{
    int inizio;
    int lunghezza;
};
constexpr int kCampiA = 56;
constexpr int kCampiB = 17;
const std::array<Campo, kCampiA>& campiA();
const std::array<Campo, kCampiB>& campiB();

// Field `campo` of `riga`, stripped of blanks; empty beyond the end of a short line.
QString taglia(const QString& riga, const Campo& campo);

// A promotion date as the central warehouse writes it (dd/mm/yy, dd-mm-yy, dd.mm.yy or the same
// with four-digit years; 00-29 are 20xx, 30-99 19xx) as ISO text, or "0" when it is no date.
QString dataCentrale(const QString& testo);

// One A line. Every field is kept as text (campo()); the ones the import uses, and the numeric
// ones, are converted once as the line is read.
struct RigaA
{
    QString riga; // the line as read

    QString tipoVariazione;      // 1
    QString descrizione;         // 5
    QString artCEDI;             // 12
    bool fornitoreSigma = false; // 17 is "S"
    QString unitaMisura;         // 25
    int quantita = 0;            // 27, whole units
    double costo = 0;            // 36, thousandths of the currency unit divided by 1000
    double prezzoPromo = 0;      // 38, as read
    QString dataInizioPromo;     // 41, ISO or "0"
    QString dataFinePromo;       // 42, ISO or "0"
    QString repartoCassa;        // 47

    QString campo(int n) const; // field n (1-56)
    // The numeric fields: integers 10, 15, 21, 26, 27 (0 when empty or not a number);
    // numbers 22 (3 decimals), 30 (single precision), 35, 36 (÷1000), 37, 38.
    int intero(int n) const;
    double numero(int n) const;
};
RigaA leggiRigaA(const QString& riga);

// One B line: its 17 text fields, each stored in the B_CEDI column of the same name.
struct RigaB
{
    std::array<QString, kCampiB> campi;
    const QString& codEan() const { return campi[4]; }  // 5
    const QString& artCEDI() const { return campi[8]; } // 9
};
RigaB leggiRigaB(const QString& riga);
// The B_CEDI column of each B field, in field order.
const std::array<QString, kCampiB>& colonneB();

// The two kinds of file.
enum class TipoFile { Articoli, Variazioni };
// Larger files are refused unread (the biggest real ones are a few megabytes).
constexpr qint64 kDimensioneMassima = 64LL * 1024 * 1024;

// A file looked at as a whole before any of it is applied.
struct [[nodiscard]] EsameFile
{
    enum class Stato {
        Pronto,   // `righe` holds its records
        Scartato, // it can never be applied: `motivo` says why
    };
    Stato stato = Stato::Scartato;
    QString motivo;    // why not Pronto, in Italian
    QStringList righe; // the records in file order; blank lines are left out
    bool utf8 = false; // read as UTF-8 (a byte-order mark, or valid UTF-8 with multi-byte letters)
};
// Windows-1252 unless the bytes are UTF-8 as above. Every line is a record, whatever its length
// (a short one gives the fields it reaches, a long one is cut; the last one needs no line end).
// Refused only when it can never be applied: not text (UTF-16, NUL bytes, control characters,
// UTF-8 declared but broken), larger than kDimensioneMassima, or lines of which none is of the
// file's kind (an A line of kind "M" or "N"; a B line with an EAN or an article code). A file
// with no lines is ready with no records.
EsameFile esaminaFile(const QByteArray& contenuto, TipoFile tipo);
// Reads at most kDimensioneMassima + 1 bytes of the file; false with the real reason in `esito`
// (not found, not readable) when it cannot.
bool leggiFile(const QString& percorso, QByteArray& contenuto, Esito& esito);

// True while one of the import engines runs (the IN-folder poll waits for it to end).
bool importazioneInCorso();
// Marks an import as running for its lifetime.
class ImportazioneInCorso
{
public:
    ImportazioneInCorso();
    ~ImportazioneInCorso();
    ImportazioneInCorso(const ImportazioneInCorso&) = delete;
    ImportazioneInCorso& operator=(const ImportazioneInCorso&) = delete;
};

// The two engines. Each file is applied in one transaction: a failure leaves the archive as it
// was and is returned (nothing is logged here); VbErr::RowRefused when the database refused a
// row's values, which no retry mends. The rows of the last article file applied stay
// here: the variation import adds the articles of extra EANs from them.
class Importatore
{
public:
    // DatiPLUSigma: "M" lines change every article with their central-warehouse code (or add one
    // when there is none, or the code is blank), "N" lines always add one; lines of any other
    // kind change nothing. A file that esaminaFile refuses changes nothing.
    Esito DatiPLUSigma(const QString& percorso, ProgressSink& progresso);
    // The same over the records of a file already read and examined, applying those from
    // `primaDaApplicare` on (the ones before were applied already); all of them become the
    // rows of the last article file.
    Esito DatiPLUSigma(const QStringList& righe, ProgressSink& progresso, qsizetype primaDaApplicare = 0);
    // DatiPLUVar: every line into B_CEDI, its EAN onto the article with its code, then the
    // articles of codes that carry more than one EAN (CreaArticoliEANMultipli).
    Esito DatiPLUVar(const QString& percorso, ProgressSink& progresso);
    Esito DatiPLUVar(const QStringList& righe, ProgressSink& progresso, qsizetype primaDaApplicare = 0);

    const QList<RigaA>& righeFileA() const { return m_righeA; }

private:
    Esito CreaArticoliEANMultipli(Articoli::Lotto& articoli);
    QList<RigaA> m_righeA;
};

} // namespace Cedi
