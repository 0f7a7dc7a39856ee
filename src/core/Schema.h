#pragma once
// The database schema in one place, versioned with PRAGMA user_version. A new database gets
// every step; an older one gets the steps it lacks, in one transaction.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace Schema {

// Each entry brings the database from version i to i + 1. Append new steps; never edit old ones.
const QList<QStringList>& steps();
int currentVersion();

// Brings `db` to currentVersion(); false (and the database unchanged) on failure.
bool upgrade(QSqlDatabase& db, QString* error = nullptr);

} // namespace Schema
