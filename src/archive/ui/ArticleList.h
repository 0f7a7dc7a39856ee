#pragma once
// The report-style list the article window and its companions show; the article list's rows
// come from archive/ArticleList.
#include "archive/ArticleList.h"

#include <QAbstractTableModel>
#include <QTableView>

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
    // The records the rows were made from, in list order.
    QList<Articoli::ArticoloElencato> articoli() const;
    std::optional<Articoli::ArticoloElencato> articoloSelezionato() const;
    QList<Articoli::Offerta> offerte() const;

Q_SIGNALS:
    // An in-place edit was asked for (F2, a click on the selected row) and refused.
    void modificaRifiutata();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    ListaModel* m_model;
};
