#pragma once
// Reading a supplier's workbook (.xls or .xlsx) as the spreadsheet imports need it: the sheets in
// tab order, each named with a trailing "$", and a sheet's rows of typed cells. The first row that
// holds a value names the columns and is never handed out as data; rows without a value (an empty
// text, or one of blanks only, is none) are not handed out either, so both formats give the same
// rows. The file's content, not its name, chooses the reader. A text cell is cut to 255 characters
// (a text column of the old spreadsheet driver); a workbook that expands past the bounds below is
// refused, never read in part.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

// One cell of a sheet.
struct Cella
{
    enum class Tipo { Vuota, Numero, Testo, Data, Booleano };
    Tipo tipo = Tipo::Vuota;
    double numero = 0; // Numero; Data: the day serial with the time as fraction
    QString testo;     // Testo
    bool booleano = false;

    bool vuota() const { return tipo == Tipo::Vuota; }
    // The value as VB's CStr writes it with Italian settings: "12,5", "8001234567890",
    // "dd/mm/yyyy" (with " hh.mm.ss" when there is a time), "Vero"/"Falso"; empty for an empty cell.
    QString comeTesto() const;

    static Cella daNumero(double v);
    // An empty text, or one of blanks only, is no value: the cell is empty.
    static Cella daTesto(const QString& t);
    static Cella daBooleano(bool b);
    // A date/time as the spreadsheet's day serial (days since 30/12/1899).
    static Cella daSerialeData(double serial);
};

using RigaCelle = QVector<Cella>;

class Cartella
{
public:
    static constexpr int kLunghezzaTesto = 255;      // characters kept of a text cell
    static constexpr int kMassimoTestoCella = 32767; // a longer cell is no workbook's

    // The reasons a workbook is refused, in Italian for the user's second line.
    static QString nonCartella();
    static QString danneggiata(const QString& dettaglio);
    static QString troppoGrande(const QString& dettaglio);

    virtual ~Cartella() = default;
    // The sheets in tab order, each name followed by "$".
    virtual QStringList fogli() const = 0;
    // Hands every data row of the sheet (after the column-name row) to `riga`, in order; a row
    // may be shorter than the sheet is wide (missing cells are empty). `riga` returns false to stop.
    // False with *errore set (Italian, fit for the user) when the sheet cannot be read; then rows
    // already handed out must not be trusted. *colonne (when given) becomes the sheet's width: the
    // last column holding a value, the column-name row included.
    virtual bool leggiFoglio(const QString& foglio, const std::function<bool(const RigaCelle&)>& riga, QString* errore,
                             int* colonne = nullptr) const = 0;
};

// Opens the workbook at `path`: an OLE2 file is read as .xls (by the reader program beside this
// one, see LettoreXls.h), a zip as .xlsx. Null with *errore set (Italian, fit for the user) when the
// file is neither, is damaged, is too large, or is protected by a password.
std::unique_ptr<Cartella> apriCartella(const QString& path, QString* errore);

// The readers themselves, for tests and fuzzing.
std::unique_ptr<Cartella> apriCartellaXlsx(const QString& path, QString* errore);
std::unique_ptr<Cartella> apriCartellaXls(const QString& path, QString* errore);
