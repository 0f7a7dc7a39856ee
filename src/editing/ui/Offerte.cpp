#include "editing/ui/Offerte.h"

#include "core/Articoli.h"
#include "core/Database.h"
#include "core/VbConvert.h"
#include "core/ui/KeyFilter.h"
#include "core/ui/Ui.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace Offerte {

void AvvisoPromozioni(QLabel* lblTab, const QDate& oggi)
{
    if (!lblTab || !avvisoAttivo())
        return;
    int punti = 0;
    const QString t = testoAvviso(codiceAvviso(oggi), &punti);
    if (t.isEmpty()) {
        lblTab->hide();
        return;
    }
    QFont f = lblTab->font();
    f.setPointSize(punti);
    lblTab->setFont(f);
    lblTab->setText(t);
    lblTab->show();
}

} // namespace Offerte

namespace {

const QString kScontoEccessivo = QStringLiteral("Sconto superiore al prezzo del PLU");

// A typed promotional price above the sale price: a negative discount, which is no promotion.
QString prezzoSuperiore(double prezzoPromo, double prezzoPLU)
{
    return QStringLiteral("Prezzo promozionale (%1) superiore al prezzo del PLU (%2)")
        .arg(Vb::money(prezzoPromo), Vb::money(prezzoPLU));
}

int filtroSconto(int k)
{
    if (k == '.')
        k = ',';
    return FiltraTasto(k, 3);
}

} // namespace

PromozioneFrame::PromozioneFrame(ControlliPromozione c, std::unique_ptr<ListaPromozione> lista, QObject* parent)
    : QObject(parent), m_c(c), m_lista(std::move(lista))
{
}

void PromozioneFrame::collega()
{
    // An option runs its click handler when it is selected, from code too, and when the user clicks
    // it while it is already selected: that click is how a typed discount gives its price.
    for (const int index : {0, 1}) {
        QRadioButton* opt = index == 0 ? m_c.optEuro : m_c.optPercento;
        if (!opt)
            continue;
        connect(opt, &QRadioButton::pressed, this, [this] { m_opzioneCambiata = false; });
        connect(opt, &QRadioButton::toggled, this, [this, index](bool on) {
            if (!on)
                return;
            m_opzioneCambiata = true;
            optTipoSconto_Click(index);
        });
        connect(opt, &QRadioButton::clicked, this, [this, index] {
            if (!m_opzioneCambiata)
                optTipoSconto_Click(index);
        });
    }
    if (m_c.txtSconto) {
        connect(m_c.txtSconto, &QLineEdit::textChanged, this, [this] { txtSconto_Change(); });
        KeyPressFilter::install(m_c.txtSconto, filtroSconto);
        m_c.txtSconto->installEventFilter(this);
    }
    if (m_c.txtPrezzoScontato) {
        KeyPressFilter::install(m_c.txtPrezzoScontato, [this](int k) {
            if (k == 13) {
                if (m_c.cmdConfermaPromozione)
                    m_c.cmdConfermaPromozione->setFocus();
                return 0;
            }
            return filtroSconto(k);
        });
        m_c.txtPrezzoScontato->installEventFilter(this);
    }
}

bool PromozioneFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_c.txtSconto && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // EvidenziaCampo: the discount box is highlighted while it has the focus.
        const bool on = event->type() == QEvent::FocusIn;
        QPalette p = m_c.txtSconto->palette();
        p.setColor(QPalette::Base, on ? colorFromVb(0xC0FFFF) : colorFromVb(0xFFFFFF));
        m_c.txtSconto->setPalette(p);
        if (on)
            m_c.txtSconto->selectAll();
    } else if (watched == m_c.txtPrezzoScontato && event->type() == QEvent::FocusOut) {
        txtPrezzoScontato_LostFocus();
    }
    return false;
}

std::optional<double> PromozioneFrame::prezzoArticolo() const
{
    const auto t = m_lista->prezzoSelezionato();
    if (!t)
        return std::nullopt;
    if (t->trimmed().isEmpty())
        return 0.0;
    return Vb::cdbl(*t);
}

void PromozioneFrame::mostraMotivo(const QString& motivo)
{
    if (!m_c.lblMotivo)
        return;
    m_c.lblMotivo->setText(motivo);
    m_c.lblMotivo->setVisible(!motivo.isEmpty());
}

void PromozioneFrame::focusRicBarCode()
{
    if (m_c.txtRicBarCode && m_c.txtRicBarCode->isVisible() && m_c.txtRicBarCode->isEnabled())
        m_c.txtRicBarCode->setFocus();
}

void PromozioneFrame::cmdPromozioni_Click()
{
    if (!m_lista->primaScheda())
        return;
    if (m_c.frPromozione->isVisible()) {
        m_c.frPromozione->hide();
        return;
    }
    m_c.optEuro->setChecked(true);
    m_c.frPromozione->show();
    CaricaOffertaArticolo(m_lista->codiceSelezionato());
}

void PromozioneFrame::CaricaOffertaArticolo(const QString& codice)
{
    mostraMotivo({});
    const auto letta = Offerte::caricaOfferta(codice);
    if (!letta.ok)
        Msg::warn(QStringLiteral("ATTENZIONE! Lettura della promozione non riuscita"));
    const auto& o = letta.valore;
    if (!o) {
        m_c.txtSconto->clear();
        m_c.optPercento->setChecked(true);
        m_c.txtPrezzoScontato->clear();
        return;
    }
    m_c.MaskDal->setText(Vb::formatDate(o->dal));
    m_c.MaskAl->setText(Vb::formatDate(o->al));
    if (o->inEuro()) {
        m_c.optEuro->setChecked(true);
        m_c.txtSconto->setText(Vb::cstr(o->scontoVal));
    } else {
        m_c.optPercento->setChecked(true);
        m_c.txtSconto->setText(Vb::cstr(o->scontoPer));
    }
    m_c.txtPrezzoScontato->setText(Vb::money(o->przScnt));
}

void PromozioneFrame::optTipoSconto_Click(int index)
{
    if (m_c.Label5_2)
        m_c.Label5_2->setText(index == 1 ? QStringLiteral("quanta %") : QStringLiteral("di quanti €"));
    if (!m_scontoDaPrezzo)
        CalcolaPrezzoScontato();
}

void PromozioneFrame::txtSconto_Change()
{
    // Only the discount derived from a typed price moves the price; a typed discount waits for an
    // option's click (and CONFERMA stores the price the discount gives).
    if (m_scontoDaPrezzo)
        CalcolaPrezzoScontato();
}

void PromozioneFrame::CalcolaPrezzoScontato()
{
    const auto prezzo = prezzoArticolo();
    if (!prezzo)
        return;
    const bool percento = m_c.optPercento->isChecked();
    if (!percento && !m_c.optEuro->isChecked())
        return;
    const auto r = Offerte::prezzoScontato(*prezzo, m_c.txtSconto->text(), percento);
    if (!r) {
        mostraMotivo({});
        return;
    }
    // A discount above the price stays as typed and leaves no price; a negative one comes from a
    // price typed above the PLU's. The line under the price box says which.
    const auto sconto = Vb::cdbl(m_c.txtSconto->text());
    if (r->azzeraSconto)
        mostraMotivo(kScontoEccessivo);
    else if (!percento && sconto && *sconto < 0)
        mostraMotivo(prezzoSuperiore(*prezzo - *sconto, *prezzo));
    else
        mostraMotivo({});
    m_c.txtPrezzoScontato->setText(r->azzeraSconto ? QString() : r->prezzo);
}

void PromozioneFrame::CalcolaSconto()
{
    if (!m_c.optEuro->isChecked())
        return;
    const auto prezzo = prezzoArticolo();
    if (!prezzo)
        return;
    if (const auto s = Offerte::scontoDaPrezzo(*prezzo, m_c.txtPrezzoScontato->text()))
        m_c.txtSconto->setText(*s);
}

void PromozioneFrame::txtPrezzoScontato_LostFocus()
{
    const QString t = m_c.txtPrezzoScontato->text();
    if (t.isEmpty() || t == QLatin1String(","))
        return;
    m_scontoDaPrezzo = true;
    m_c.optEuro->setChecked(true);
    CalcolaSconto();
    m_scontoDaPrezzo = false;
}

bool PromozioneFrame::cmdConfermaPromozione_Click()
{
    // What is stored must agree: the price the registers receive is the one the discount gives.
    QString scontoDigitato = m_c.txtSconto->text();
    const auto prezzoPLU = prezzoArticolo();
    if (prezzoPLU && scontoDigitato.isEmpty() && !m_c.txtPrezzoScontato->text().isEmpty()) {
        txtPrezzoScontato_LostFocus(); // a typed price gives its euro discount
        scontoDigitato = m_c.txtSconto->text();
    }
    std::optional<Offerte::PrezzoScontato> atteso;
    if (prezzoPLU && !scontoDigitato.isEmpty()) {
        // A typed price above the PLU's gave a negative discount: the price is what is wrong,
        // not the discount's format.
        const auto negativo = Vb::cdbl(scontoDigitato);
        const auto digitato = Vb::cdbl(m_c.txtPrezzoScontato->text());
        if (m_c.optEuro->isChecked() && negativo && *negativo < 0 && digitato && *digitato > *prezzoPLU) {
            Msg::info(prezzoSuperiore(*digitato, *prezzoPLU) + QStringLiteral(" - Impossibile continuare"));
            return false;
        }
        atteso = Offerte::prezzoScontato(*prezzoPLU, scontoDigitato, m_c.optPercento->isChecked());
        if (!atteso || !numeroDaTastiera(scontoDigitato)) {
            Msg::info(QStringLiteral("Formato 'Sconto' non valido - Impossibile continuare"));
            return false;
        }
        if (atteso->azzeraSconto) {
            Msg::info(kScontoEccessivo + QStringLiteral(" - Impossibile continuare"));
            return false;
        }
        m_c.txtPrezzoScontato->setText(atteso->prezzo);
    }
    const QString prezzoTesto = m_c.txtPrezzoScontato->text();
    const auto prezzo = Vb::cdbl(prezzoTesto);
    if (prezzoTesto.isEmpty() || !prezzo) {
        Msg::info(QStringLiteral("Attenzione nessun prezzo promozionale calcolato - Impossibile continuare"));
        return false;
    }
    // A discount larger than the price must never reach the registers as a negative price.
    if (*prezzo < 0) {
        Msg::info(kScontoEccessivo + QStringLiteral(" - Impossibile continuare"));
        return false;
    }
    if (atteso && Vb::cdbl(scontoDigitato).value_or(0) == 0) {
        Msg::info(
            QStringLiteral("Sconto pari a zero: il prezzo promozionale è quello del PLU - Impossibile continuare"));
        return false;
    }
    const QDate oggi = QDate::currentDate();
    const Offerte::Periodo periodo = Offerte::verificaPeriodo(m_c.MaskDal->text(), m_c.MaskAl->text(), oggi);
    if (periodo.esito != Offerte::Periodo::Ok) {
        QLineEdit* box = periodo.casella == Offerte::Periodo::Dal  ? m_c.MaskDal
                         : periodo.casella == Offerte::Periodo::Al ? m_c.MaskAl
                                                                   : nullptr;
        if (periodo.esito == Offerte::Periodo::Passata)
            Msg::box(periodo.messaggio, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::NoButton,
                     QApplication::applicationName());
        else
            Msg::warn(periodo.messaggio);
        if (box && periodo.esito == Offerte::Periodo::NonValida)
            box->setText(Vb::formatDate(oggi));
        if (box)
            box->setFocus();
        return false;
    }
    const QDate dal = periodo.dal, al = periodo.al;
    const QString codice = m_lista->codiceSelezionato();
    if (codice.isEmpty()) {
        Msg::info(QStringLiteral("Nessun PLU selezionato"));
        return false;
    }
    QString scontoTesto = m_c.txtSconto->text();
    if (scontoTesto.isEmpty()) {
        scontoTesto = QStringLiteral("0");
        m_c.txtSconto->setText(scontoTesto);
    }
    const auto sconto = Vb::cdbl(scontoTesto);
    if (!sconto) {
        Msg::info(QStringLiteral("Formato 'Sconto' non valido"));
        return false;
    }
    Offerte::Offerta o;
    const std::optional<qint64> articolo = Articoli::codiceDaTesto(codice);
    o.articolo = articolo.value_or(0);
    o.dal = dal;
    o.al = al;
    if (m_c.optEuro->isChecked())
        o.scontoVal = *sconto;
    else
        o.scontoPer = *sconto;
    o.przScnt = *prezzo;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A code that is no article number cannot be saved: told as any failed save.
    const Esito e = articolo ? Offerte::salva(o) : Esito::fallito(VbErr::TypeMismatch, codice);
    m_scontoDaPrezzo = false;
    QApplication::restoreOverrideCursor();
    if (!e) {
        Msg::warn(Db::perUtente(e, QStringLiteral("Salvataggio della promozione non riuscito")));
        return false;
    }
    focusRicBarCode();
    return true;
}

void PromozioneFrame::cmdAnnullaPromozione_Click()
{
    m_scontoDaPrezzo = false;
    mostraMotivo({});
    m_c.frPromozione->hide();
    focusRicBarCode();
}

bool EliminaOfferte(const QList<Offerte::Offerta>& offerte)
{
    if (Msg::box(QStringLiteral("Sei sicuro di voler eliminare le Offerte selezionate ?"),
                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Question) != QMessageBox::Ok)
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Esito e = Offerte::elimina(offerte);
    QApplication::restoreOverrideCursor();
    if (!e)
        Msg::warn(Db::perUtente(e, QStringLiteral("Eliminazione delle offerte non riuscita")));
    return bool(e);
}
