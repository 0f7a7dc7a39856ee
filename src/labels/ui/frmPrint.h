#pragma once
// The print-range dialog of the label preview: the page shown, all pages, a range of pages or one
// label position on the sheet. It only collects and checks the choice.
#include "core/Interaction.h"
#include "core/ui/FormBase.h"

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmPrint : public FormBase
{
    Q_OBJECT
public:
    frmPrint(Interaction& interazione, QWidget* parent = nullptr);

    QGroupBox* fraOptions = nullptr;
    std::array<QRadioButton*, 4> optPrint{};
    QLineEdit* txtStart = nullptr;
    QLineEdit* txtEnd = nullptr;
    QLineEdit* txtNumEti = nullptr;
    QLabel* lblPages = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdCancel = nullptr;

    void setPageCurrent(int p) { m_corrente = p; }
    void setPageMax(int p) { m_massimo = p; }
    // Labels on one sheet: the highest label number that can be chosen.
    void setEtichettePerFoglio(int n) { m_perFoglio = n; }
    int pageStart() const { return m_inizio; }
    int pageEnd() const { return m_fine; }
    bool printDoc() const { return m_stampa; }
    // The chosen label position (option "Etichetta Numero"), else 0.
    int numeroEtichetta() const { return m_numero; }

    void prepara(); // what activation sets: option 0, the boxes, the page text
    void optPrint_Click(int indice);
    void cmdPrint_Click();
    void cmdCancel_Click();

protected:
    void formLoad() override;
    void showEvent(QShowEvent* e) override;

private:
    Interaction& m_interazione;
    int m_corrente = 0;
    int m_massimo = 0;
    int m_perFoglio = 0;
    int m_inizio = 0;
    int m_fine = 0;
    int m_numero = 0;
    bool m_stampa = false;
    bool m_preparato = false;
};
