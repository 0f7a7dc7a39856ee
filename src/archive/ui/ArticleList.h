#pragma once
// The article list: its fixed 18-column layout (other windows read the selected row back by
// column position), the row colours, the mark-up, and the load that fills it from an SQL text
// over Magazzino. The load copies the rows out and closes its query before anything is written.
#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <QVariant>
#include <QVariantList>

// One row of a report-style list: its cell texts and their text colours (invalid = normal colour).
struct RigaLista
{
    QStringList testo;
    QList<QColor> colore;

    explicit RigaLista(int colonne = 0) : testo(colonne), colore(colonne) {}
};

// A model of copied rows; nothing in it refers back to the database.
class ListaModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ListaModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setIntestazioni(const QStringList& captions);
    QStringList intestazioni() const { return m_intestazioni; }
    void setRighe(QList<RigaLista> righe);
    void aggiungi(const RigaLista& riga);
    void svuota();
    const QList<RigaLista>& righe() const { return m_righe; }
    QString testo(int row, int col) const;
    // Columns whose texts are numbers, aligned right.
    void setColonneNumeriche(const QList<int>& colonne) { m_numeriche = colonne; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList m_intestazioni;
    QList<RigaLista> m_righe;
    QList<int> m_numeriche;
};

// A report-style list view: whole rows, one selected at a time, never edited in place.
// Column 0 is the item's own text, column k its sub-item k.
class ListaReport : public QTableView
{
    Q_OBJECT
public:
    explicit ListaReport(QWidget* parent = nullptr);

    ListaModel* lista() const { return m_model; }
    int count() const { return m_model->rowCount(); }
    QString testo(int row, int col) const { return m_model->testo(row, col); }
    QColor colore(int row, int col) const;
    int selectedRow() const;                 // -1 when nothing is selected
    QString selectedText(int col = 0) const; // empty when nothing is selected
    QString selectedCode() const { return selectedText(0); }
    void selezionaRiga(int row);

Q_SIGNALS:
    // An in-place edit was asked for (F2, a click on the selected row) and refused.
    void modificaRifiutata();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    ListaModel* m_model;
};

namespace ArticleList {

constexpr int kColonne = 18;
constexpr int kMaxRighe = 1000;

enum Colonna {
    colCod = 0,
    colDescrizione = 1,
    colReparto = 2,
    colQta = 3,
    colMin = 4,
    colUM = 5,
    colPrezzoV = 6,
    colFornitore = 7,
    colTaglia = 8,
    colColore = 9,
    colTipoMateriale = 10,
    colBarCode = 11,
    colAggiornato = 12,
    colPrezzoA = 13,
    colCodForn = 14,
    colIva = 15,
    colPesoConf = 16,
    colRicarico = 17,
};

const QStringList& intestazioni();

inline QColor rosso()
{
    return QColor(255, 0, 0);
}
inline QColor verde()
{
    return QColor(0, 255, 0);
}
inline QColor blu()
{
    return QColor(0, 0, 255);
}

// The mark-up of column 17 from the texts of columns 6 (sale price) and 13 (purchase price)
// and the VAT percent: empty when it is not computed; "0,00" when the price with VAT is zero.
// *fallito tells that a step failed (to be logged).
QString ricarico(const QString& prezzoV, const QString& prezzoA, const QVariant& codPV, bool* fallito = nullptr);

// Result of one load: what goes into the list and the totals.
struct Caricamento
{
    bool aperto = true; // false when the SQL text could not be opened
    qint64 totVoci = 0; // records of the text, deleted ones included (lblTotVociMaga)
    int listate = 0;    // listed rows (TotRicorrenze, lblTotArt)
    double valore = 0;  // stock value of the listed rows (totValore)
    QList<RigaLista> righe;
};

// Reads the rows of `sql` (a SELECT over Magazzino, values bound in order): skips deleted rows,
// stops after 1000 listed rows, fills and colours the cells. Failures are logged under
// "Magazzino"/"CaricaMagazzino"; the load goes on with the next cell.
Caricamento leggi(const QString& sql, const QVariantList& valori = {});

// The totals as the window shows them.
QString testoValore(double valore); // six decimals
QString testoConteggio(qint64 n);

// The shelf-label mark of one article: ticked box toggles F/N (empty or Null becomes F, other
// values stay), unticked writes N. Nothing happens with `salta`. False when the write failed.
bool ImpostaTipoVariazione(const QString& codice, bool salta, bool perFrontalini);
// The same for many articles, in one transaction.
bool ImpostaTipoVariazione(const QStringList& codici, bool perFrontalini);

// The logically deleted articles (code, description, barcode, sale price), by description.
QList<RigaLista> eliminati();
// Lists a deleted article again; it is marked changed so the next send carries it.
bool ripristina(const QString& codice);

} // namespace ArticleList
