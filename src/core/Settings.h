#pragma once
// The start-up reads of Setup.ini into the program-wide state.
#include "core/AppState.h"

#include <QDate>
#include <QString>

void LeggiImpostazioni();
void LeggiPortaBarCode();
void LeggiPortaRegCassa();
void LeggiTastieraVisibile();
void ImpostaTestiStato(int mode);

// [DataSistema] Data against today.
enum class [[nodiscard]] EsitoData{Scritta, DataPosteriore, Illeggibile, ScritturaFallita};
EsitoData ControllaDataDiSistema(const QDate& today = QDate::currentDate());

// [RegCassa] PiruNEX: false only for "FALSO" in any case; a missing or empty key is written "Falso".
bool LeggiFlagPiruNEX();
