#pragma once
// The article window's barcode search box: a scanned or typed code opens the editor on its
// article.
#include "core/Read.h"
#include "editing/ui/ArchivioCallbacks.h"

#include <QString>

class QLineEdit;

// The article whose main barcode is `barCode` (logically deleted articles never; extra barcodes
// never). Absent when none; a failed read is logged and returned as such.
Letto<QString> CodiceDaBarCode(const QString& barCode);

// Opens the editor modally on the article of `barCode`, or tells that no article has it.
void IntercettaBarCode(const QString& barCode, ArchivioCallbacks& cb);

// txtRicBarCode key press: Enter or Esc looks the box's text up, then empties and focuses the box.
// Returns the key unchanged (the box keeps filling with other keys).
int txtRicBarCode_KeyPress(QLineEdit* box, int keyAscii, ArchivioCallbacks& cb);
