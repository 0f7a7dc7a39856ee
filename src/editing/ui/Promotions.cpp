#include "editing/ui/Promotions.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/ui/KeyFilter.h"
#include "core/VbConvert.h"
#include "core/config/Generali.h"
#include "core/ui/Ui.h"
#include "editing/ui/ScannedLookup.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>

namespace Promotions {

namespace {

const QString kModulo = QStringLiteral("Magazzino");

std::optional<qint64> numeroCodice(const QString& codice)
{
    return Articoli::codiceDaTesto(codice);
}

bool marcaModificato(qint64 n, QString* err)
{
    const Esito e = Articoli::marcaModificato(n);
    if (!e && err)
        *err = e.descrizione;
    return bool(e);
}

} // namespace

Letto<Offerta> caricaOfferta(const QString& codice)
{
    const auto n = numeroCodice(codice);
    if (!n)
        return Letto<Offerta>::assente();
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, PrzScnt FROM Offerte "
                                 "WHERE Articolo = ? ORDER BY DataDAL, rowid LIMIT 1"),
                  {*n});
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("CaricaOffertaArticolo"), VbErr::DatabaseError, q.lastError().text());
        return Letto<Offerta>::fallito(q.lastError().text());
    }
    if (!q.next())
        return Letto<Offerta>::assente();
    Offerta o;
    o.articolo = q.value(0).toString();
    o.dal = Vb::fromIso(q.value(1).toString());
    o.al = Vb::fromIso(q.value(2).toString());
    o.scontoVal = q.value(3).toDouble();
    o.scontoPer = q.value(4).toDouble();
    o.przScnt = q.value(5).toDouble();
    return Letto<Offerta>::trovato(o);
}

Esito salva(const Offerta& o)
{
    const auto n = numeroCodice(o.articolo);
    if (!n || !o.dal.isValid() || !o.al.isValid())
        return Esito::fallito(VbErr::TypeMismatch, o.articolo);
    QString err;
    Db::Transaction t;
    const bool ok =
        t.ok() &&
        Db::exec(QStringLiteral("DELETE FROM Offerte WHERE DataDAL = ? AND DataAL = ? AND Articolo = ?"),
                 {Vb::isoDate(o.dal), Vb::isoDate(o.al), *n}, &err) &&
        Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, Pezzi, PrzScnt) "
                                "VALUES (?, ?, ?, ?, ?, '1', ?)"),
                 {*n, Vb::isoDate(o.dal), Vb::isoDate(o.al), o.scontoVal, o.scontoPer, o.przScnt}, &err) &&
        marcaModificato(*n, &err) && t.commit();
    if (!ok) {
        ScriviErrore(kModulo, QStringLiteral("SalvaPromozione"), VbErr::DatabaseError, err);
        return Esito::fallito(VbErr::DatabaseError, err);
    }
    return Esito::riuscito();
}

Esito eliminaArticoli(const QStringList& codici)
{
    QString err;
    Db::Transaction t;
    bool ok = t.ok();
    for (const QString& c : codici) {
        const auto n = numeroCodice(c);
        if (!ok)
            break;
        if (!n) {
            ok = false;
            err = c;
            break;
        }
        ok =
            Db::exec(QStringLiteral("DELETE FROM Offerte WHERE Articolo = ?"), {*n}, &err) && marcaModificato(*n, &err);
    }
    if (!ok || !t.commit()) {
        ScriviErrore(kModulo, QStringLiteral("CmdEliminaOfferta_Click"), VbErr::DatabaseError, err);
        return Esito::fallito(VbErr::DatabaseError, err);
    }
    return Esito::riuscito();
}

QList<QStringList> elenco(const QDate& dal)
{
    QList<QStringList> rows;
    if (!dal.isValid()) {
        ScriviErrore(kModulo, QStringLiteral("VediTutteLePromozioni"), VbErr::TypeMismatch, QStringLiteral("MaskDal"));
        return rows;
    }
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, PrzScnt FROM Offerte "
                                 "WHERE DataDAL >= ? ORDER BY DataDAL, rowid"),
                  {Vb::isoDate(dal)});
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("VediTutteLePromozioni"), VbErr::DatabaseError, q.lastError().text());
        return rows;
    }
    while (q.next()) {
        const QString art = q.value(0).toString();
        rows << QStringList{QString::number(rows.size() + 1),
                            art,
                            DescrizioneDaCodice(art),
                            Vb::formatDate(Vb::fromIso(q.value(1).toString())),
                            Vb::formatDate(Vb::fromIso(q.value(2).toString())),
                            Vb::money(q.value(3).toDouble()),
                            Vb::cstr(q.value(4).toDouble()),
                            Vb::money(q.value(5).toDouble())};
    }
    return rows;
}

std::optional<PrezzoScontato> prezzoScontato(double prezzo, const QString& sconto, bool percento)
{
    if (sconto.isEmpty())
        return std::nullopt;
    const auto s = Vb::cdbl(sconto);
    if (!s)
        return std::nullopt;
    const double p = percento ? prezzo - (*s * prezzo) / 100.0 : prezzo - *s;
    return PrezzoScontato{Vb::money(p), Vb::roundHalfAway(p, 2) < 0};
}

std::optional<QString> scontoDaPrezzo(double prezzo, const QString& prezzoPromo)
{
    const auto p = Vb::cdbl(prezzoPromo);
    if (!p)
        return std::nullopt;
    return Vb::money(prezzo - *p);
}

int codiceAvviso(const QDate& oggi)
{
    const QString d = Vb::isoDate(oggi);
    const bool inizio = Db::scalar(QStringLiteral("SELECT COUNT(*) FROM Offerte WHERE DataDAL = ?"), {d}).toInt() > 0;
    const bool fine = Db::scalar(QStringLiteral("SELECT COUNT(*) FROM Offerte WHERE DataAL = ?"), {d}).toInt() > 0;
    return (inizio ? 1 : 0) + (fine ? 2 : 0);
}

bool avvisoAttivo()
{
    return Config::Promozioni::avvisoAttivo();
}

QString testoAvviso(int codice, int* puntiFont)
{
    int punti = 20;
    QString t;
    switch (codice) {
    case 1:
        t = QStringLiteral("INIZIANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE");
        break;
    case 2:
        t = QStringLiteral("TERMINANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE");
        break;
    case 3:
        punti = 18;
        t = QStringLiteral("INIZIANO/TERMINANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE");
        break;
    default:
        break;
    }
    if (puntiFont)
        *puntiFont = t.isEmpty() ? 0 : punti;
    return t;
}

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

} // namespace Promotions

namespace {

// A masked date box left blank holds only its separators.
bool vuota(const QLineEdit* e)
{
    QString t = e->text();
    t.remove(QLatin1Char('/'));
    t.remove(QLatin1Char('_'));
    return t.trimmed().isEmpty();
}

int filtroSconto(int k)
{
    if (k == '.')
        k = ',';
    return FiltraTasto(k, 3);
}

} // namespace

PromozioneFrame::PromozioneFrame(ControlliPromozione c, QObject* parent) : QObject(parent), m_c(std::move(c)) {}

void PromozioneFrame::collega()
{
    if (m_c.optEuro)
        connect(m_c.optEuro, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                optTipoSconto_Click(0);
        });
    if (m_c.optPercento)
        connect(m_c.optPercento, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                optTipoSconto_Click(1);
        });
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
    if (!m_c.prezzoSelezionato)
        return std::nullopt;
    const auto t = m_c.prezzoSelezionato();
    if (!t)
        return std::nullopt;
    if (t->trimmed().isEmpty())
        return 0.0;
    return Vb::cdbl(*t);
}

void PromozioneFrame::focusRicBarCode()
{
    if (m_c.txtRicBarCode && m_c.txtRicBarCode->isVisible() && m_c.txtRicBarCode->isEnabled())
        m_c.txtRicBarCode->setFocus();
}

void PromozioneFrame::cmdPromozioni_Click()
{
    if (m_c.primaScheda && !m_c.primaScheda())
        return;
    if (m_c.frPromozione->isVisible()) {
        m_c.frPromozione->hide();
        return;
    }
    m_c.optEuro->setChecked(true);
    m_c.frPromozione->show();
    CaricaOffertaArticolo(m_c.codiceSelezionato ? m_c.codiceSelezionato() : QString());
}

void PromozioneFrame::CaricaOffertaArticolo(const QString& codice)
{
    const auto letta = Promotions::caricaOfferta(codice);
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
    const auto r = Promotions::prezzoScontato(*prezzo, m_c.txtSconto->text(), percento);
    if (!r)
        return;
    m_c.txtPrezzoScontato->setText(r->prezzo);
    if (r->azzeraSconto)
        m_c.txtSconto->setText(QStringLiteral("0"));
}

void PromozioneFrame::CalcolaSconto()
{
    if (!m_c.optEuro->isChecked())
        return;
    const auto prezzo = prezzoArticolo();
    if (!prezzo)
        return;
    if (const auto s = Promotions::scontoDaPrezzo(*prezzo, m_c.txtPrezzoScontato->text()))
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
    const QString prezzoTesto = m_c.txtPrezzoScontato->text();
    const auto prezzo = Vb::cdbl(prezzoTesto);
    if (prezzoTesto.isEmpty() || !prezzo) {
        Msg::info(QStringLiteral("Attenzione nessun prezzo promozionale calcolato - Impossibile continuare"));
        return false;
    }
    // A discount larger than the price must never reach the registers as a negative price.
    if (*prezzo < 0) {
        Msg::info(QStringLiteral("Sconto superiore al prezzo del PLU - Impossibile continuare"));
        return false;
    }
    const bool dalVuota = vuota(m_c.MaskDal), alVuota = vuota(m_c.MaskAl);
    if (dalVuota && alVuota) {
        Msg::warn(QStringLiteral("Verificare le date per il periodo di promozione"));
        return false;
    }
    const QDate oggiData = oggi();
    const QDate dal = Vb::parseDate(m_c.MaskDal->text());
    const QDate al = Vb::parseDate(m_c.MaskAl->text());
    for (auto [box, vuotaBox, data] : {std::tuple{m_c.MaskDal, dalVuota, dal}, std::tuple{m_c.MaskAl, alVuota, al}}) {
        if (!vuotaBox && !data.isValid()) {
            Msg::warn(QStringLiteral("Data non Valida!"));
            box->setText(Vb::formatDate(oggiData));
            box->setFocus();
            return false;
        }
    }
    // Both dates are needed: a period with one end only would not be stored anyway.
    if (dalVuota || alVuota) {
        Msg::warn(QStringLiteral("Verificare le date per il periodo di promozione"));
        (dalVuota ? m_c.MaskDal : m_c.MaskAl)->setFocus();
        return false;
    }
    if (al < dal) {
        Msg::warn(QStringLiteral("Data 'DAL' più RECENTE di quella 'AL'!Operazione non Valida"));
        m_c.MaskDal->setFocus();
        return false;
    }
    if (dal < oggiData) {
        Msg::box(QStringLiteral("Verifica l'impostazione delle date"), QMessageBox::Ok, QMessageBox::NoIcon,
                 QMessageBox::NoButton, QApplication::applicationName());
        m_c.MaskDal->setFocus();
        return false;
    }
    const QString codice = m_c.codiceSelezionato ? m_c.codiceSelezionato() : QString();
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
    Promotions::Offerta o;
    o.articolo = codice;
    o.dal = dal;
    o.al = al;
    if (m_c.optEuro->isChecked())
        o.scontoVal = *sconto;
    else
        o.scontoPer = *sconto;
    o.przScnt = *prezzo;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Esito e = Promotions::salva(o);
    m_scontoDaPrezzo = false;
    QApplication::restoreOverrideCursor();
    if (!e) {
        Msg::warn(QStringLiteral("Salvataggio della promozione non riuscito"));
        return false;
    }
    focusRicBarCode();
    return true;
}

void PromozioneFrame::cmdAnnullaPromozione_Click()
{
    m_scontoDaPrezzo = false;
    m_c.frPromozione->hide();
    focusRicBarCode();
}

bool EliminaOfferte(const QStringList& codiciArticolo)
{
    if (Msg::box(QStringLiteral("Sei sicuro di voler eliminare le Offerte selezionate ?"),
                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Question) != QMessageBox::Ok)
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Esito e = Promotions::eliminaArticoli(codiciArticolo);
    QApplication::restoreOverrideCursor();
    if (!e)
        Msg::warn(QStringLiteral("Eliminazione delle offerte non riuscita"));
    return bool(e);
}
