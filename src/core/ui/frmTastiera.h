#pragma once
// "Tastiera AlfaNumerica": the touch-screen keyboard that fills one field of another window.
// The caller names the field with AbilitaDisabilita and shows the keyboard modally; Invio writes
// the typed text into that field and closes the keyboard.
#include "core/ui/FormBase.h"

#include <QVector>
#include <memory>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class clsResize;

// The typing rules, without widgets.
namespace Tastiera {

// Field kinds: 1 number, 2 letters, 3 and 9 both, 4 yes/no for goods sold by weight, 5 date,
// 6 time, 7 digits only, 8 number in which more than one comma is accepted.

// The echo after one more character `c` in a field of kind `tipo` (hh:mm, dd/mm/yyyy shaping,
// one comma only outside kind 8).
QString aggiungiCarattere(int tipo, const QString& eco, const QString& c);

// Which key groups a kind shows; a member is empty when the kind leaves that group as it was.
struct Gruppi
{
    std::optional<bool> numeri, virgola, alfabeto, chilo, avvisoData;
};
Gruppi gruppiPerTipo(int tipo);

// Writes `valore` into the field's usual value (line edit text, combo choice, spin value, date,
// check state for "Vero"/"Falso", label text). False when the widget takes no such value.
bool scriviValore(QWidget* campo, const QString& valore);

// The first descendant of `form`, in creation order, named `nome` without regard to case.
QWidget* trovaControllo(QWidget* form, const QString& nome);

} // namespace Tastiera

class frmTastiera : public FormBase
{
    Q_OBJECT
public:
    explicit frmTastiera(QWidget* parent = nullptr);
    ~frmTastiera() override;

    // Prepares the keyboard for the field `nomeControllo` of `form`; `mascherato` hides the echo.
    void AbilitaDisabilita(int tipo, QWidget* form, const QString& nomeControllo, bool mascherato);

    // Loads the keyboard, prepares it for the field and shows it modally.
    static void apriPer(int tipo, QWidget* form, const QString& nomeControllo, bool mascherato = false);

    QLabel* Label1 = nullptr;
    QLineEdit* lblDigitazione = nullptr;
    QGroupBox* frNumeri = nullptr;
    QVector<QPushButton*> ssNumeri; // 0..9 digits, 10 "C"
    QPushButton* ssVirgola = nullptr;
    QGroupBox* frAlfabeto = nullptr;
    QVector<QPushButton*> ssAlfa; // 0..27
    QPushButton* ssSpazio = nullptr;
    QCheckBox* ckMaiusc = nullptr;
    QGroupBox* frChilo = nullptr;
    QCheckBox* ckChilo = nullptr;
    QGroupBox* frComandi = nullptr;
    QPushButton* ssInvio = nullptr;
    QPushButton* ssIndietro = nullptr;
    QLabel* lblAvvisoData = nullptr;

    int tipo() const { return m_tipo; }
    clsResize* resizer() const { return m_resize.get(); }

protected:
    void formLoad() override;
    void formActivate() override;
    void formUnload() override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void AggiungiCarattere(const QString& c);
    void ssNumeri_Click(int index);
    void ssAlfa_Click(int index);
    void ssIndietro_Click();
    void ssInvio_Click();
    void ckMaiusc_Click(bool checked);

    QPointer<QWidget> m_form;
    QString m_nomeControllo;
    int m_tipo = 0;
    std::unique_ptr<clsResize> m_resize;
    int m_contaResize = 0;
    bool m_inResize = false;
};
