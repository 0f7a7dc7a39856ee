#include "archive/ui/ArticleList.h"

#include <QHeaderView>

// ---------------------------------------------------------------------------------------------
// ListaModel

void ListaModel::setIntestazioni(const QStringList& captions)
{
    beginResetModel();
    m_intestazioni = captions;
    m_righe.clear();
    endResetModel();
}

void ListaModel::setRighe(QList<RigaLista> righe)
{
    beginResetModel();
    m_righe = std::move(righe);
    endResetModel();
}

void ListaModel::aggiungi(const RigaLista& riga)
{
    const int n = int(m_righe.size());
    beginInsertRows({}, n, n);
    m_righe.append(riga);
    endInsertRows();
}

void ListaModel::svuota()
{
    setRighe({});
}

QString ListaModel::testo(int row, int col) const
{
    if (row < 0 || row >= m_righe.size())
        return {};
    const RigaLista& r = m_righe.at(row);
    return col >= 0 && col < r.testo.size() ? r.testo.at(col) : QString();
}

int ListaModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_righe.size());
}

int ListaModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_intestazioni.size());
}

QVariant ListaModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_righe.size())
        return {};
    const RigaLista& r = m_righe.at(index.row());
    const int c = index.column();
    if (role == Qt::DisplayRole)
        return c < r.testo.size() ? r.testo.at(c) : QString();
    if (role == Qt::ForegroundRole && c < r.colore.size() && r.colore.at(c).isValid())
        return r.colore.at(c);
    if (role == Qt::TextAlignmentRole)
        return int(m_numeriche.contains(c) ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant ListaModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_intestazioni.size())
        return m_intestazioni.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---------------------------------------------------------------------------------------------
// ListaReport

ListaReport::ListaReport(QWidget* parent) : QTableView(parent), m_model(new ListaModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setShowGrid(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QColor ListaReport::colore(int row, int col) const
{
    if (row < 0 || row >= m_model->rowCount())
        return {};
    const RigaLista& r = m_model->righe().at(row);
    return col >= 0 && col < r.colore.size() ? r.colore.at(col) : QColor();
}

int ListaReport::selectedRow() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString ListaReport::selectedText(int col) const
{
    return testo(selectedRow(), col);
}

void ListaReport::selezionaRiga(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        clearSelection();
        return;
    }
    selectRow(row);
    setCurrentIndex(m_model->index(row, 0));
}

QList<Articoli::ArticoloElencato> ListaReport::articoli() const
{
    QList<Articoli::ArticoloElencato> out;
    out.reserve(m_model->righe().size());
    for (const RigaLista& r : m_model->righe())
        if (r.articolo)
            out << *r.articolo;
    return out;
}

std::optional<Articoli::ArticoloElencato> ListaReport::articoloSelezionato() const
{
    const int r = selectedRow();
    return r < 0 ? std::nullopt : m_model->righe().at(r).articolo;
}

QList<Articoli::Offerta> ListaReport::offerte() const
{
    QList<Articoli::Offerta> out;
    for (const RigaLista& r : m_model->righe())
        if (r.offerta)
            out << *r.offerta;
    return out;
}

bool ListaReport::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // The codes are never edited in place; the old list asked and was always refused.
    if (trigger == QAbstractItemView::EditKeyPressed || trigger == QAbstractItemView::SelectedClicked) {
        Q_EMIT modificaRifiutata();
        return false;
    }
    return QTableView::edit(index, trigger, event);
}
