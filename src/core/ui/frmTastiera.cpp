#include "core/ui/frmTastiera.h"

#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/ui/Ui.h"
#include "core/ui/clsResize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>

namespace Tastiera {

QString aggiungiCarattere(int tipo, const QString& eco, const QString& c)
{
    if (tipo == 6) {
        if (eco.size() == 2)
            return eco + QLatin1Char(':') + c;
        if (eco.size() > 4)
            return eco;
        return eco + c;
    }
    if (eco.isEmpty())
        return c;
    if (c == QLatin1String(",") && eco.contains(QLatin1Char(',')) && tipo != 8)
        return eco;
    if (tipo == 5) {
        if (eco.size() == 2 || eco.size() == 5)
            return eco + QLatin1Char('/') + c;
        if (eco.size() > 9)
            return eco;
    }
    return eco + c;
}

Gruppi gruppiPerTipo(int tipo)
{
    switch (tipo) {
    case 1:
    case 8:
        return {true, true, false, false, false};
    case 2:
        return {false, std::nullopt, true, false, false};
    case 3:
    case 9:
        return {true, true, true, false, false};
    case 4:
        return {false, std::nullopt, false, true, false};
    case 5:
        return {true, false, false, false, true};
    case 6:
    case 7:
        return {true, false, false, false, false};
    default:
        return {};
    }
}

bool scriviValore(QWidget* campo, const QString& valore)
{
    if (auto* le = qobject_cast<QLineEdit*>(campo)) {
        le->setText(valore);
        return true;
    }
    if (auto* cb = qobject_cast<QComboBox*>(campo)) {
        if (cb->isEditable()) {
            cb->setEditText(valore);
            return true;
        }
        const int i = cb->findText(valore, Qt::MatchFixedString);
        if (i < 0)
            return false; // a closed list takes only one of its items
        cb->setCurrentIndex(i);
        return true;
    }
    if (auto* dt = qobject_cast<QDateTimeEdit*>(campo)) {
        const QDate d = Vb::parseDate(valore);
        if (!d.isValid())
            return false;
        dt->setDate(d);
        return true;
    }
    if (auto* ds = qobject_cast<QDoubleSpinBox*>(campo)) {
        const auto v = Vb::cdbl(valore);
        if (!v || *v < ds->minimum() || *v > ds->maximum())
            return false; // never a clamped value in place of the typed one
        ds->setValue(*v);
        return true;
    }
    if (auto* sb = qobject_cast<QSpinBox*>(campo)) {
        const auto d = Vb::cdbl(valore);
        const auto v = d ? Vb::cint(*d) : std::nullopt;
        if (!v || *v < sb->minimum() || *v > sb->maximum())
            return false;
        sb->setValue(*v);
        return true;
    }
    if (auto* ck = qobject_cast<QCheckBox*>(campo)) {
        if (valore.compare(QLatin1String("Vero"), Qt::CaseInsensitive) == 0)
            ck->setChecked(true);
        else if (valore.compare(QLatin1String("Falso"), Qt::CaseInsensitive) == 0)
            ck->setChecked(false);
        else
            return false;
        return true;
    }
    if (auto* lb = qobject_cast<QLabel*>(campo)) {
        lb->setText(valore);
        return true;
    }
    return false;
}

QWidget* trovaControllo(QWidget* form, const QString& nome)
{
    if (!form || nome.isEmpty())
        return nullptr;
    // findChildren walks depth first in the order the children were added.
    const auto all = form->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (w->objectName().compare(nome, Qt::CaseInsensitive) == 0)
            return w;
    }
    return nullptr;
}

} // namespace Tastiera

namespace {

QPushButton* tasto(QWidget* parent, const QString& name, const QString& caption, const QRect& g)
{
    auto* b = named(new QPushButton(caption, parent), name, caption);
    b->setGeometry(g);
    b->setFocusPolicy(Qt::NoFocus); // the echo keeps the focus while keys are pressed
    QFont f = b->font();
    f.setPointSize(14);
    f.setBold(true);
    b->setFont(f);
    return b;
}

QRect schermo()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

frmTastiera::frmTastiera(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("frmTastiera"));
    setWindowTitle(QStringLiteral("Tastiera AlfaNumerica"));
    // Controls are placed by hand at the design size; clsResize scales them to the screen.
    resize(960, 400);

    Label1 = named(new QLabel(QStringLiteral("VALORE DIGITATO"), this), QStringLiteral("Label1"));
    Label1->setGeometry(10, 6, 300, 20);
    lblDigitazione = named(new QLineEdit(this), QStringLiteral("lblDigitazione"), QStringLiteral("VALORE DIGITATO"));
    lblDigitazione->setGeometry(10, 28, 600, 40);
    QFont eco = lblDigitazione->font();
    eco.setPointSize(18);
    eco.setBold(true);
    lblDigitazione->setFont(eco);
    lblAvvisoData = named(new QLabel(QStringLiteral(" *** Il formato della data deve essere        gg/mm/aaaa"), this),
                          QStringLiteral("lblAvvisoData"));
    lblAvvisoData->setGeometry(620, 28, 330, 40);
    lblAvvisoData->setWordWrap(true);

    frNumeri = named(new QGroupBox(QStringLiteral("Numeri"), this), QStringLiteral("frNumeri"));
    frNumeri->setGeometry(10, 78, 250, 312);
    ssNumeri.resize(11);
    // Calculator rows: 7 8 9 / 4 5 6 / 1 2 3 / 0 , C
    const auto posNumero = [](int col, int row) { return QRect(12 + col * 78, 24 + row * 72, 70, 64); };
    for (int i = 1; i <= 9; ++i)
        ssNumeri[i] = tasto(frNumeri, QStringLiteral("ssNumeri_%1").arg(i), QString::number(i),
                            posNumero((i - 1) % 3, 2 - (i - 1) / 3));
    ssNumeri[0] = tasto(frNumeri, QStringLiteral("ssNumeri_0"), QStringLiteral("0"), posNumero(0, 3));
    ssVirgola = tasto(frNumeri, QStringLiteral("ssVirgola"), QStringLiteral(","), posNumero(1, 3));
    ssNumeri[10] = tasto(frNumeri, QStringLiteral("ssNumeri_10"), QStringLiteral("C"), posNumero(2, 3));
    for (int i = 0; i <= 10; ++i)
        connect(ssNumeri[i], &QPushButton::clicked, this, [this, i] { ssNumeri_Click(i); });
    connect(ssVirgola, &QPushButton::clicked, this, [this] { AggiungiCarattere(ssVirgola->text()); });

    frAlfabeto = named(new QGroupBox(QStringLiteral("Alfabeto"), this), QStringLiteral("frAlfabeto"));
    frAlfabeto->setGeometry(270, 78, 560, 312);
    const QString lettere = QStringLiteral("QWERTYUIOPASDFGHJKLZXCVBNM-+");
    ssAlfa.resize(28);
    for (int i = 0; i < 28; ++i) {
        const int row = i < 10 ? 0 : (i < 19 ? 1 : 2);
        const int col = row == 0 ? i : (row == 1 ? i - 10 : i - 19);
        const QRect g(12 + row * 27 + col * 54, 24 + row * 64, 50, 60);
        ssAlfa[i] = tasto(frAlfabeto, QStringLiteral("ssAlfa_%1").arg(i), lettere.mid(i, 1), g);
        connect(ssAlfa[i], &QPushButton::clicked, this, [this, i] { ssAlfa_Click(i); });
    }
    ckMaiusc = named(new QCheckBox(frAlfabeto), QStringLiteral("ckMaiusc"), QStringLiteral("Maiuscole"));
    ckMaiusc->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    ckMaiusc->setIconSize(QSize(32, 32));
    ckMaiusc->setGeometry(12, 216, 100, 60);
    ckMaiusc->setFocusPolicy(Qt::NoFocus);
    connect(ckMaiusc, &QCheckBox::toggled, this, &frmTastiera::ckMaiusc_Click);
    ssSpazio = tasto(frAlfabeto, QStringLiteral("ssSpazio"), QStringLiteral("Spazio"), QRect(120, 216, 320, 60));
    connect(ssSpazio, &QPushButton::clicked, this, [this] { AggiungiCarattere(QStringLiteral(" ")); });

    frComandi = named(new QGroupBox(QStringLiteral("Comandi"), this), QStringLiteral("frComandi"));
    frComandi->setGeometry(840, 78, 110, 200);
    ssInvio = tasto(frComandi, QStringLiteral("ssInvio"), QStringLiteral("Invio"), QRect(10, 24, 90, 80));
    connect(ssInvio, &QPushButton::clicked, this, &frmTastiera::ssInvio_Click);
    ssIndietro = tasto(frComandi, QStringLiteral("ssIndietro"), QString(), QRect(10, 112, 90, 80));
    ssIndietro->setAccessibleName(QStringLiteral("Indietro"));
    ssIndietro->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    ssIndietro->setIconSize(QSize(40, 40));
    connect(ssIndietro, &QPushButton::clicked, this, &frmTastiera::ssIndietro_Click);

    frChilo = named(new QGroupBox(QStringLiteral("Al Chilo"), this), QStringLiteral("frChilo"));
    frChilo->setGeometry(840, 290, 110, 100);
    ckChilo = named(new QCheckBox(frChilo), QStringLiteral("ckChilo"), QStringLiteral("Al Chilo"));
    ckChilo->setGeometry(30, 30, 50, 50);
    ckChilo->setFocusPolicy(Qt::NoFocus);
}

frmTastiera::~frmTastiera() = default;

void frmTastiera::AbilitaDisabilita(int tipo, QWidget* form, const QString& nomeControllo, bool mascherato)
{
    lblDigitazione->setEchoMode(mascherato ? QLineEdit::Password : QLineEdit::Normal);
    const Tastiera::Gruppi g = Tastiera::gruppiPerTipo(tipo);
    const auto applica = [](QWidget* w, const std::optional<bool>& visibile) {
        if (visibile)
            w->setVisible(*visibile);
    };
    applica(frNumeri, g.numeri);
    applica(ssVirgola, g.virgola);
    applica(frAlfabeto, g.alfabeto);
    applica(frChilo, g.chilo);
    applica(lblAvvisoData, g.avvisoData);
    m_tipo = tipo;
    m_form = form;
    m_nomeControllo = nomeControllo;
}

void frmTastiera::apriPer(int tipo, QWidget* form, const QString& nomeControllo, bool mascherato)
{
    QPointer<QWidget> campo(form);
    frmTastiera* k = Forms::carica<frmTastiera>();
    if (!k || !campo)
        return; // the keyboard or the window it types into closed while it loaded
    k->AbilitaDisabilita(tipo, form, nomeControllo, mascherato);
    k->showModal();
}

void frmTastiera::AggiungiCarattere(const QString& c)
{
    lblDigitazione->setText(Tastiera::aggiungiCarattere(m_tipo, lblDigitazione->text(), c));
}

void frmTastiera::ssNumeri_Click(int index)
{
    if (index > 9)
        lblDigitazione->clear();
    else
        AggiungiCarattere(QString::number(index));
}

void frmTastiera::ssAlfa_Click(int index)
{
    const QString c = ssAlfa[index]->text();
    AggiungiCarattere(ckMaiusc->isChecked() ? c : c.toLower());
}

void frmTastiera::ssIndietro_Click()
{
    QString t = lblDigitazione->text();
    if (t.isEmpty())
        return;
    t.chop(1);
    lblDigitazione->setText(t);
}

void frmTastiera::ckMaiusc_Click(bool checked)
{
    setBackground(ckMaiusc, checked ? 0x0000FF : 0xE0E0E0);
}

void frmTastiera::ssInvio_Click()
{
    QWidget* campo = Tastiera::trovaControllo(m_form, m_nomeControllo);
    if (campo) {
        const QString eco = lblDigitazione->text();
        if (!frChilo->isHidden()) {
            Tastiera::scriviValore(campo, ckChilo->isChecked() ? QStringLiteral("Vero") : QStringLiteral("Falso"));
        } else if (m_tipo == 5) {
            if (eco.isEmpty()) {
                Tastiera::scriviValore(campo, Vb::formatDate(QDate::currentDate()));
            } else {
                const QDate d = eco.size() == 10 ? QDate::fromString(eco, QStringLiteral("dd/MM/yyyy")) : QDate();
                if (!d.isValid()) {
                    Contesto::interazione().noticeWithoutWaiting(QStringLiteral("Scrivere la data in Modo Corretto"));
                    return; // stays open with its echo
                }
                if (auto* le = qobject_cast<QLineEdit*>(campo)) {
                    le->setInputMask(QStringLiteral("99/99/9999"));
                    le->setText(Vb::formatDate(d));
                } else {
                    Tastiera::scriviValore(campo, Vb::formatDate(d));
                }
            }
        } else {
            Tastiera::scriviValore(campo, eco);
        }
    }
    unload();
}

void frmTastiera::formLoad()
{
    AssegnaImmaginiPulsanti(this);
    setBackground(ckMaiusc, 0xE0E0E0);
    m_contaResize = 0;
    m_resize = std::make_unique<clsResize>();
    m_resize->setSourceForm(this);
    m_resize->SizeFormToScreen(75);
    Attesa(650, InputUtente::Trattenuto);
}

void frmTastiera::formActivate()
{
    if (!app().tastieraVisibile) {
        hide();
        return;
    }
    const QRect s = schermo();
    move(s.x() + twips(20), s.y());
    // Shown, the window has its frame: the width loses it too (see resizeEvent).
    const int cornice = frameGeometry().width() - width();
    if (cornice > 0 && width() != s.width() - twips(45) - cornice)
        resize(s.width() - twips(45) - cornice, height());
}

void frmTastiera::resizeEvent(QResizeEvent* e)
{
    FormBase::resizeEvent(e);
    if (m_inResize)
        return; // our own resize below
    m_inResize = true;
    if (isMinimized() || isMaximized())
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QRect s = schermo();
        // The window's own frame is taken off too, so its right edge stays on the screen.
        const int cornice = frameGeometry().width() - width();
        resize(s.width() - twips(45) - cornice, s.height() / 2 - twips(150));
    }
    if (m_resize && m_contaResize < 3) {
        m_resize->ResizeControls();
        ++m_contaResize;
    }
    m_inResize = false;
}

void frmTastiera::formUnload()
{
    m_resize.reset();
}
