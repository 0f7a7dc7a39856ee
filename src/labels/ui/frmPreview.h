#pragma once
// The label preview: the sheets of a label document one page at a time, at a chosen zoom, with
// paging by page number, and printing through the print-range dialog.
#include "core/Interaction.h"
#include "core/ui/FormBase.h"
#include "labels/EasyPrint.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

class frmPreview : public FormBase
{
    Q_OBJECT
public:
    frmPreview(Interaction& interazione, EasyPrint& documento, QWidget* parent = nullptr);

    QWidget* picControl = nullptr;
    QComboBox* cboZoom = nullptr;
    QPushButton* cmdPrevious = nullptr;
    QPushButton* cmdNext = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdClose = nullptr;
    QScrollArea* picScroll = nullptr;
    QLabel* picDoc = nullptr;

    int paginaCorrente() const { return m_pagina; }
    int pagine() const { return m_pagine; }
    double zoom() const { return m_zoom; }
    // How many times a page was drawn (a zoom choice that changes nothing draws nothing).
    int disegni() const { return m_disegni; }

    void Preview_Display(int pagina);
    void cmdNext_Click();
    void cmdPrevious_Click();
    void cmdPrint_Click();
    // Prints pages `da` to `a`, or label `numero` of the first sheet, on the current printer.
    void stampa(int da, int a, int numero);

protected:
    void formLoad() override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Preview_Status();
    void AdjustView();
    void zoomScelto();

    Interaction& m_interazione;
    EasyPrint& m_documento;
    bool m_adeguando = false;
    double m_zoom = 100;
    int m_pagina = 1;
    int m_pagine = 0;
    int m_disegni = 0;
};
