#pragma once
// What the single-row article functions (core/Articoli.h) and the bulk ones (core/ArticoliLotto.h)
// share, so that both read, bind and write a Magazzino row the same way: the column list, the
// reading of a row, the values a row binds and the statements both run. For core's own use.
#include "core/Articoli.h"

#include <QList>
#include <QSqlQuery>
#include <QVariant>

namespace Articoli::Riga {

// Null columns become std::nullopt or a null QString, and back.
std::optional<double> numero(const QVariant& v);
QString testo(const QVariant& v);
QVariant valore(const std::optional<double>& d);
QVariant valore(const QString& s);

// A row selected with colonne().
Articolo leggi(const QSqlQuery& q);
// Every column but CodMateriale, in colonne()'s order; with `codice`, that CodMateriale first.
QVariantList valori(const Articolo& a, std::optional<qint64> codice = std::nullopt);

// SELECT colonne() FROM Magazzino WHERE `condizione`.
QString sqlSeleziona(const QString& condizione);
// The first row by code of those `condizione` selects.
QString sqlPrimo(const QString& condizione);
// INSERT of every column, CodMateriale first.
QString sqlInserisci();
// UPDATE by CodMateriale of `colonneAggiornate` (names as in colonne(); empty: every column). The
// positions in valori() it does not write go to `saltate`.
QString sqlAggiorna(const QStringList& colonneAggiornate = {}, QList<int>* saltate = nullptr);
QString sqlNuovoCodice();
QString sqlCodicePerBarCodeUlteriore();

Esito dbFallito(const QString& errore);
// Runs a statement with `valori` bound; its failure as dbFallito's.
Esito esegui(const QString& sql, const QVariantList& valori = {});
// The failure of an update that found no row.
QString testoNonTrovato(qint64 codice);

} // namespace Articoli::Riga
