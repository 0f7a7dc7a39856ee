#pragma once
// An .xlsx workbook written beside its target and put in the target's place only when it is
// complete: the user's old file stays untouched until the new one has been written whole, and
// stays untouched when anything fails. Cells are written row by row, in order (a row once left
// is on disk): texts, numbers, dates.
#include "core/ErrorLog.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QList>
#include <QStringList>
#include <optional>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

class ExportWorkbook
{
public:
    explicit ExportWorkbook(const QString& destinazione);
    ~ExportWorkbook(); // removes the temporary file when the workbook was not committed

    // The file written before it replaces the destination: "<folder>/.~<name>.tmp". One left by
    // an export that was killed is removed when the next export of that name starts; when it
    // cannot be, the export fails without writing anything.
    static QString temporaneo(const QString& destinazione);

    // Fails when the destination is a file that is read-only by its mode or that the user may not
    // write: such a file is never replaced, even by a user (root) whom the system lets write it.
    static Esito sostituibile(const QString& destinazione);

    // Starts a new sheet; later cells go to it.
    void foglio(const QString& nome);
    // Cells of the current sheet. Null texts and empty numbers leave the cell blank. A money cell
    // holds the exact amount and shows it with two decimals, so sums over the cells stay exact.
    void testo(int riga, int col, const QString& t);
    void numero(int riga, int col, double v, bool denaro = false);
    void numero(int riga, int col, const std::optional<double>& v, bool denaro = false);
    void data(int riga, int col, const QDate& d);        // shown "dd/mm/yyyy"
    void dataOra(int riga, int col, const QDateTime& d); // shown "dd/mm/yyyy hh:mm:ss"
    void intestazioni(const QStringList& nomi);          // row 0

    // Writes the workbook and puts it in place of the destination, unless that is a file which
    // may not be replaced (sostituibile). On failure nothing at the destination changed; the
    // detail says why.
    Esito chiudi();

    ExportWorkbook(const ExportWorkbook&) = delete;
    ExportWorkbook& operator=(const ExportWorkbook&) = delete;

private:
    void annota(int errore);
    // Counts the row of a cell the library took, for the check of the finished file.
    void contaRiga(int errore, int riga);
    // The library writes each sheet's rows to a temporary file without checking those writes (a
    // full disk): reads the finished workbook back and fails unless every sheet holds every row.
    Esito verificaFogli() const;
    // Removes the temporary file this export made, once.
    void togliTemporaneo();
    QString m_destinazione;
    QString m_temp;
    QByteArray m_cartella; // where the sheets' own temporary files go, for the workbook's life
    lxw_workbook* m_wb = nullptr;
    lxw_worksheet* m_ws = nullptr;
    lxw_format* m_formatoData = nullptr;
    lxw_format* m_formatoDataOra = nullptr;
    lxw_format* m_formatoDenaro = nullptr;
    int m_errore = 0;      // the first libxlsxwriter error
    QList<int> m_righe;    // rows with cells, per sheet
    int m_ultimaRiga = -1; // of the current sheet
    Esito m_motivo;        // why the temporary file could not be made
    bool m_creato = false; // the temporary file is ours
    bool m_chiuso = false;
};
