#pragma once
// What the single-row article functions (core/Articoli.h) and the bulk ones (core/ArticoliLotto.h)
// share, so that both read, bind and write a Magazzino row the same way: the column list, the
// reading of a row, the values a row binds and the statements both run. For core's own use.
#include "core/Articoli.h"

#include <QList>
#include <QSqlQuery>
#include <QVariant>
#include <bitset>

namespace Db {
class Istruzione;
}

namespace Articoli::Riga {

// Which fields of a row a statement reads or writes, in colonne()'s order after CodMateriale.
using Campi = std::bitset<23>;
// The fields of `nomi` (names as in colonne()); empty: every field.
Campi campi(const QStringList& nomi);

// Null columns become std::nullopt or a null QString, and back.
std::optional<double> numero(const QVariant& v);
QString testo(const QVariant& v);
QVariant valore(const std::optional<double>& d);
QVariant valore(const QString& s);

// A row selected with colonne().
Articolo leggi(const QSqlQuery& q);
// A row selected with the fields `c` only: the others keep Articolo's defaults.
Articolo leggi(const QSqlQuery& q, const Campi& c);
// Every column but CodMateriale, in colonne()'s order; with `codice`, that CodMateriale first.
QVariantList valori(const Articolo& a, std::optional<qint64> codice = std::nullopt);
// The fields `c` only, then `codice`: the values of sqlAggiorna(c).
QVariantList valori(const Articolo& a, const Campi& c, qint64 codice);

// The same, on the connection's own statements (core/store/Istruzione.h): a row selected with the
// fields `c`, and the values of sqlInserisci() (with `codice`) or of sqlAggiorna(c) bound.
Articolo leggi(const Db::Istruzione& s, const Campi& c);
void lega(Db::Istruzione& s, const Articolo& a, qint64 codice);
void lega(Db::Istruzione& s, const Articolo& a, const Campi& c, qint64 codice);

// SELECT colonne() FROM Magazzino WHERE `condizione`.
QString sqlSeleziona(const QString& condizione);
// SELECT CodMateriale and the fields `c` FROM Magazzino WHERE `condizione`.
QString sqlSeleziona(const QString& condizione, const Campi& c);
// The first row by code of those `condizione` selects.
QString sqlPrimo(const QString& condizione);
// INSERT of every column, CodMateriale first.
QString sqlInserisci();
// UPDATE by CodMateriale of `colonneAggiornate` (names as in colonne(); empty: every column).
QString sqlAggiorna(const QStringList& colonneAggiornate = {});
// UPDATE by CodMateriale of the fields `c`.
QString sqlAggiorna(const Campi& c);
QString sqlNuovoCodice();
QString sqlCodicePerBarCodeUlteriore();

Esito dbFallito(const QString& errore);
// Runs a statement with `valori` bound; its failure as dbFallito's.
Esito esegui(const QString& sql, const QVariantList& valori = {});
// The failure of an update that found no row.
QString testoNonTrovato(qint64 codice);

} // namespace Articoli::Riga
