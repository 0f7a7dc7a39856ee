#pragma once
// The linked external database: attaching its article and department tables and copying them
// into the archive at start-up.

// True when linked tables are configured and could be attached: the copy is to run now.
bool GestisciTabelleCollegate();
// Copies the linked external tables into Reparti and Magazzino.
void ImportaDaDatabaseEsterno();
