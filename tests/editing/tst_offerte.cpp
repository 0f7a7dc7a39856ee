// Promotions: discount arithmetic by amount and per cent, the frame's chain of handlers, the
// period checks, save and removal in one transaction, the list and the start-up notice.
#include "archive/ui/Magazzino.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/VbConvert.h"
#include "editing/ui/Offerte.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// The article window's promotion frame, as far as the handlers use it.
struct Frame
{
    // The article list: the selected code and price the test sets.
    struct Lista : ListaPromozione
    {
        const Frame& f;
        explicit Lista(const Frame& frame) : f(frame) {}
        QString codiceSelezionato() const override { return f.codice; }
        std::optional<QString> prezzoSelezionato() const override { return f.prezzoArticolo; }
        bool primaScheda() const override { return true; }
    };

    QWidget window;
    QWidget* fr = new QWidget(&window);
    QLineEdit* dal = new QLineEdit(fr);
    QLineEdit* al = new QLineEdit(fr);
    QLineEdit* sconto = new QLineEdit(fr);
    QRadioButton* euro = new QRadioButton(fr);
    QRadioButton* perc = new QRadioButton(fr);
    QLabel* label = new QLabel(fr);
    QLineEdit* prezzo = new QLineEdit(fr);
    QLabel* motivo = new QLabel(fr);
    QPushButton* conferma = new QPushButton(fr);
    QLineEdit* ricerca = new QLineEdit(&window);
    QString codice = "1";
    std::optional<QString> prezzoArticolo = QString("10,00");
    PromozioneFrame* handlers = nullptr;

    Frame()
    {
        auto* l = new QVBoxLayout(fr);
        for (QWidget* w : std::initializer_list<QWidget*>{dal, al, sconto, euro, perc, label, prezzo, motivo, conferma})
            l->addWidget(w);
        ControlliPromozione c;
        c.frPromozione = fr;
        c.MaskDal = dal;
        c.MaskAl = al;
        c.txtSconto = sconto;
        c.optEuro = euro;
        c.optPercento = perc;
        c.Label5_2 = label;
        c.txtPrezzoScontato = prezzo;
        c.lblMotivo = motivo;
        c.cmdConfermaPromozione = conferma;
        c.txtRicBarCode = ricerca;
        handlers = new PromozioneFrame(c, std::make_unique<Lista>(*this), &window);
        handlers->collega();
        euro->setChecked(true);
        const QString oggi = Vb::formatDate(QDate::currentDate());
        dal->setText(oggi);
        al->setText(oggi);
        window.show();
    }
};

// A user's click lands on the option's round mark, not on the empty end of a wide button.
void cliccaOpzione(QRadioButton* b)
{
    QStyleOptionButton o;
    o.initFrom(b);
    QTest::mouseClick(b, Qt::LeftButton, {},
                      b->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &o, b).center());
}

void articolo(qint64 cod)
{
    QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, Descrizione, Costo, Modificato) VALUES (?, ?, 10, 0)",
                     {cod, QString("ART%1").arg(cod)}));
}

QString d(int giorni)
{
    return Vb::formatDate(QDate::currentDate().addDays(giorni));
}

} // namespace

class TestOfferte : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void discountArithmetic_data()
    {
        QTest::addColumn<double>("prezzo");
        QTest::addColumn<QString>("sconto");
        QTest::addColumn<bool>("percento");
        QTest::addColumn<QString>("atteso");
        QTest::addColumn<bool>("azzera");
        QTest::newRow("euro 2,5") << 10.0 << "2,5" << false << "7,50" << false;
        QTest::newRow("per cent 20") << 10.0 << "20" << true << "8,00" << false;
        QTest::newRow("euro 12 goes negative") << 10.0 << "12" << false << "-2,00" << true;
        QTest::newRow("per cent 150 goes negative") << 10.0 << "150" << true << "-5,00" << true;
        QTest::newRow("grouped price") << 1234.5 << "0,5" << false << "1.234,00" << false;
        QTest::newRow("whole price") << 10.0 << "10" << false << "0,00" << false;
    }
    void discountArithmetic()
    {
        QFETCH(double, prezzo);
        QFETCH(QString, sconto);
        QFETCH(bool, percento);
        QFETCH(QString, atteso);
        QFETCH(bool, azzera);
        const auto r = Offerte::prezzoScontato(prezzo, sconto, percento);
        QVERIFY(r);
        QCOMPARE(r->prezzo, atteso);
        QCOMPARE(r->azzeraSconto, azzera);
    }
    void discountThatIsNoNumber()
    {
        QVERIFY(!Offerte::prezzoScontato(10, "", false));
        QVERIFY(!Offerte::prezzoScontato(10, "x", false));
        QCOMPARE(*Offerte::scontoDaPrezzo(10, "7,5"), QString("2,50"));
    }

    // Each check of the period with its refused and accepted edge, on 28/02/2028.
    void periodRule_data()
    {
        using P = Offerte::Periodo;
        QTest::addColumn<QString>("dal");
        QTest::addColumn<QString>("al");
        QTest::addColumn<int>("esito");
        QTest::addColumn<int>("casella");
        QTest::newRow("masks left blank") << "__/__/____"
                                          << "  /  /    " << int(P::Mancante) << int(P::Nessuna);
        QTest::newRow("end missing") << "28/02/2028"
                                     << "" << int(P::Mancante) << int(P::Al);
        QTest::newRow("no such day") << "30/02/2028"
                                     << "01/03/2028" << int(P::NonValida) << int(P::Dal);
        QTest::newRow("end not a date") << "28/02/2028"
                                        << "1/3/28" << int(P::NonValida) << int(P::Al);
        QTest::newRow("leap day, one day long") << "29/02/2028"
                                                << "29/02/2028" << int(P::Ok) << int(P::Nessuna);
        QTest::newRow("end before start") << "01/03/2028"
                                          << "29/02/2028" << int(P::Invertita) << int(P::Dal);
        QTest::newRow("starts today") << "28/02/2028"
                                      << "01/03/2028" << int(P::Ok) << int(P::Nessuna);
        QTest::newRow("started yesterday") << "27/02/2028"
                                           << "01/03/2028" << int(P::Passata) << int(P::Dal);
    }
    void periodRule()
    {
        QFETCH(QString, dal);
        QFETCH(QString, al);
        QFETCH(int, esito);
        QFETCH(int, casella);
        const Offerte::Periodo p = Offerte::verificaPeriodo(dal, al, QDate(2028, 2, 28));
        QCOMPARE(int(p.esito), esito);
        QCOMPARE(int(p.casella), casella);
        QCOMPARE(p.messaggio.isEmpty(), esito == Offerte::Periodo::Ok);
        if (esito == Offerte::Periodo::Ok)
            QVERIFY(p.dal == Vb::parseDate(dal) && p.al == Vb::parseDate(al));
    }

    void frameChain()
    {
        TestEnv env;
        Frame f;
        f.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        // Typing a discount leaves the price; a click on the option, already selected, gives it.
        f.sconto->setText("2,5");
        QCOMPARE(f.prezzo->text(), QString());
        cliccaOpzione(f.euro);
        QVERIFY(f.euro->isChecked());
        QCOMPARE(f.prezzo->text(), QString("7,50"));
        f.perc->setChecked(true);
        QCOMPARE(f.label->text(), QString("quanta %"));
        QCOMPARE(f.prezzo->text(), QString("9,75"));
        f.euro->setChecked(true);
        QCOMPARE(f.label->text(), QString("di quanti €"));
        QCOMPARE(f.prezzo->text(), QString("7,50"));
        // A typed promotional price gives the euro discount and comes back with two decimals.
        f.perc->setChecked(true);
        f.prezzo->setFocus();
        f.prezzo->clear();
        QTest::keyClicks(f.prezzo, "7.5");
        QCOMPARE(f.prezzo->text(), QString("7,5"));
        f.sconto->setFocus();
        QVERIFY(f.euro->isChecked());
        QCOMPARE(f.sconto->text(), QString("2,50"));
        QCOMPARE(f.prezzo->text(), QString("7,50"));
        QVERIFY(!f.handlers->scontoDaPrezzo());
        // A discount larger than the price stays as typed and leaves no price, saying why.
        f.sconto->setText("12");
        QCOMPARE(f.prezzo->text(), QString("7,50"));
        cliccaOpzione(f.euro);
        QVERIFY(f.prezzo->text().isEmpty());
        QCOMPARE(f.motivo->text(), QString("Sconto superiore al prezzo del PLU"));
        QVERIFY(f.motivo->isVisible());
        QCOMPARE(f.sconto->text(), QString("12"));
        f.sconto->setText("2");
        cliccaOpzione(f.euro);
        QCOMPARE(f.prezzo->text(), QString("8,00"));
        QVERIFY(!f.motivo->isVisible());
        // Keys of the discount box: a point becomes a comma, letters are dropped.
        f.sconto->clear();
        f.sconto->setFocus();
        QTest::keyClicks(f.sconto, "1a.5");
        QCOMPARE(f.sconto->text(), QString("1,5"));
        // With an empty list nothing is computed.
        f.prezzoArticolo.reset();
        f.prezzo->setText("keep");
        f.perc->setChecked(true);
        QCOMPARE(f.prezzo->text(), QString("keep"));
    }

    void periodChecks_data()
    {
        QTest::addColumn<QString>("dal");
        QTest::addColumn<QString>("al");
        QTest::addColumn<QString>("prezzo");
        QTest::addColumn<QString>("message"); // empty: saved
        QTest::addColumn<QString>("sconto");
        const QString date = "Verificare le date per il periodo di promozione";
        const Riga<QString, QString, QString, QString, QString> riga;
        riga("today to today", d(0), d(0), "7,50", "", "2,5");
        riga("tomorrow to next week", d(1), d(7), "7,50", "", "2,5");
        riga("no price", d(0), d(1), "", "Attenzione nessun prezzo promozionale calcolato - Impossibile continuare",
             "");
        riga("discount above the price", d(0), d(1), "", "Sconto superiore al prezzo del PLU - Impossibile continuare",
             "12");
        riga("price not from the discount", d(0), d(0), "9,99", "", "2,5"); // stored as the discount gives it
        riga("pasted negative discount", d(0), d(0), "", "Formato 'Sconto' non valido - Impossibile continuare", "-1");
        riga("zero discount", d(0), d(0), "10,00",
             "Sconto pari a zero: il prezzo promozionale è quello del PLU - Impossibile continuare", "0");
        riga("both dates empty", "", "", "7,50", date, "2,5");
        riga("masks left blank", "__/__/____", "  /  /    ", "7,50", date, "2,5");
        riga("only start", d(0), "", "7,50", date, "2,5");
        riga("only end", "", d(3), "7,50", date, "2,5");
        riga("bad start", "31/02/2030", d(3), "7,50", "Data non Valida!", "2,5");
        riga("bad end", d(0), "99/99/9999", "7,50", "Data non Valida!", "2,5");
        riga("end before start", d(3), d(2), "7,50", "Data 'DAL' più RECENTE di quella 'AL'!Operazione non Valida",
             "2,5");
        riga("starts yesterday", d(-1), d(2), "7,50", "Verifica l'impostazione delle date", "2,5");
    }
    void periodChecks()
    {
        QFETCH(QString, dal);
        QFETCH(QString, al);
        QFETCH(QString, prezzo);
        QFETCH(QString, message);
        QFETCH(QString, sconto);
        TestEnv env;
        articolo(1);
        Frame f;
        f.dal->setText(dal);
        f.al->setText(al);
        f.sconto->setText(sconto);
        f.prezzo->setText(prezzo);
        env.clearMessages();
        const bool saved = f.handlers->cmdConfermaPromozione_Click();
        QCOMPARE(saved, message.isEmpty());
        QCOMPARE(env.messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Offerte").toInt(), saved ? 1 : 0);
        if (message == "Data non Valida!")
            QVERIFY(f.dal->text() == d(0) || f.al->text() == d(0)); // the bad box gets today
        if (saved) {
            QCOMPARE(valoreDb("SELECT DataDAL FROM Offerte").toString(), Vb::isoDate(Vb::parseDate(dal)));
            QCOMPARE(valoreDb("SELECT Modificato FROM Magazzino WHERE CodMateriale = 1").toInt(), 1);
            QCOMPARE(valoreDb("SELECT PrzScnt FROM Offerte").toDouble(), 7.5);
            QCOMPARE(valoreDb("SELECT ScontoVal FROM Offerte").toDouble(), 2.5);
            QCOMPARE(valoreDb("SELECT Pezzi FROM Offerte").toString(), QString("1"));
        }
    }

    void saveReplacesSamePeriodOnly()
    {
        TestEnv env;
        articolo(1);
        Frame f;
        f.dal->setText(d(1));
        f.al->setText(d(5));
        f.perc->setChecked(true);
        f.sconto->setText("20");
        f.euro->setChecked(false);
        f.prezzo->setText("8,00");
        QVERIFY(f.handlers->cmdConfermaPromozione_Click());
        f.sconto->clear(); // an empty discount beside a price: the euro discount comes from the price
        QVERIFY(f.handlers->cmdConfermaPromozione_Click());
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Offerte").toInt(), 1);
        QCOMPARE(valoreDb("SELECT ScontoPer FROM Offerte").toDouble(), 0.0);
        QCOMPARE(valoreDb("SELECT ScontoVal FROM Offerte").toDouble(), 2.0);
        QVERIFY(f.euro->isChecked());
        f.perc->setChecked(true);
        f.sconto->setText("20");
        f.al->setText(d(6));
        QVERIFY(f.handlers->cmdConfermaPromozione_Click());
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Offerte").toInt(), 2);
        // The promotion shown is the first by its start.
        f.dal->setText(d(0));
        f.al->setText(d(0));
        QVERIFY(f.handlers->cmdConfermaPromozione_Click());
        f.handlers->CaricaOffertaArticolo("1");
        QCOMPARE(f.dal->text(), d(0));
        QVERIFY(f.perc->isChecked());
        QCOMPARE(f.sconto->text(), QString("20"));
        QCOMPARE(f.prezzo->text(), QString("8,00"));
        // No promotion: empty boxes, per cent selected.
        f.euro->setChecked(true);
        f.handlers->CaricaOffertaArticolo("2");
        QVERIFY(f.perc->isChecked());
        QVERIFY(f.sconto->text().isEmpty() && f.prezzo->text().isEmpty());
    }

    void saveFailureChangesNothing()
    {
        TestEnv env;
        articolo(1);
        Offerte::Offerta o{1, QDate::currentDate(), QDate::currentDate().addDays(2), 1, 0, 9};
        QVERIFY(Offerte::salva(o));
        QVERIFY(Db::exec("UPDATE Magazzino SET Modificato = 0"));
        QVERIFY(Db::exec("CREATE TRIGGER bad BEFORE INSERT ON Offerte BEGIN SELECT RAISE(ABORT, 'x'); END"));
        o.przScnt = 5;
        QVERIFY(!Offerte::salva(o));
        QCOMPARE(valoreDb("SELECT PrzScnt FROM Offerte").toDouble(), 9.0); // the old row is still there
        QCOMPARE(valoreDb("SELECT Modificato FROM Magazzino").toInt(), 0);
    }

    // On the article window: a typed promotional price above the sale price (2,00 for 1,60) is
    // named as what is wrong, under the price box and whole, and CONFERMA says the same.
    void priceAboveTheSalePrice()
    {
        TestEnv env;
        QVERIFY(Db::exec("INSERT INTO Magazzino (CodMateriale, Descrizione, Costo) VALUES (1, 'Latte', 1.6)"));
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_COMPARE(w.ListMagazzino->count(), 1);
        w.ListMagazzino->selezionaRiga(0);
        w.cmdPromozioni->click();
        QVERIFY(w.frPromozione->isVisible());
        w.txtPrezzoScontato->setFocus();
        QTest::keyClicks(w.txtPrezzoScontato, "2,00");
        w.MaskDal->setFocus();
        QCOMPARE(w.txtSconto->text(), QString("-0,40"));
        QCOMPARE(w.txtPrezzoScontato->text(), QString("2,00"));
        const QString motivo = "Prezzo promozionale (2,00) superiore al prezzo del PLU (1,60)";
        QCOMPARE(w.lblMotivoPrezzo->text(), motivo);
        QVERIFY(w.lblMotivoPrezzo->isVisible());
        // Whole: the label is as tall as its wrapped text needs and lies inside the frame.
        QTRY_VERIFY(w.lblMotivoPrezzo->height() >= w.lblMotivoPrezzo->heightForWidth(w.lblMotivoPrezzo->width()));
        QVERIFY(w.frPromozione->rect().contains(w.lblMotivoPrezzo->geometry()));
        env.clearMessages();
        w.cmdConfermaPromozione->click();
        QCOMPARE(env.messages(), QStringList{motivo + " - Impossibile continuare"});
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Offerte").toInt(), 0);
        // A price below the sale price again: the line goes.
        w.txtPrezzoScontato->setFocus();
        w.txtPrezzoScontato->clear();
        QTest::keyClicks(w.txtPrezzoScontato, "1,50");
        w.MaskDal->setFocus();
        QCOMPARE(w.txtSconto->text(), QString("0,10"));
        QVERIFY(!w.lblMotivoPrezzo->isVisible());
        w.unload();
    }

    void list()
    {
        TestEnv env;
        articolo(1);
        articolo(2);
        const QDate t = QDate::currentDate();
        QVERIFY(Offerte::salva({1, t.addDays(1), t.addDays(3), 1.5, 0, 8.5}));
        QVERIFY(Offerte::salva({1, t.addDays(10), t.addDays(12), 0, 10, 9}));
        QVERIFY(Offerte::salva({2, t, t, 0, 5, 9.5}));
        QVERIFY(Offerte::salva({3, t.addDays(-5), t, 0, 5, 1})); // article missing
        const auto rows = *Offerte::elenco(t).valore;
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(0).testo,
                 QStringList({"1", "2", "ART2", Vb::formatDate(t), Vb::formatDate(t), "0,00", "5", "9,50"}));
        QCOMPARE(rows.at(1).testo.at(3), Vb::formatDate(t.addDays(1)));
        QCOMPARE(rows.at(1).testo.at(5), QString("1,50"));
        QCOMPARE(Offerte::elenco(t.addDays(-5)).valore->first().testo.at(2), QString("NON TROVATO"));
    }

    // On the article window: removing one row of the list removes that period alone, also when
    // another program stored it with a time of day; the article's other period stays, in the
    // table and in the list.
    void removingOneRowKeepsTheOtherPeriods()
    {
        TestEnv env;
        articolo(1);
        const QDate t = QDate::currentDate();
        QVERIFY(Offerte::salva({1, t, t.addDays(3), 1.5, 0, 8.5}));
        QVERIFY(Offerte::salva({1, t.addDays(10), t.addDays(12), 0, 10, 9}));
        QVERIFY(Db::exec("UPDATE Offerte SET DataDAL = DataDAL || ' 08:30:00', DataAL = DataAL || ' 19:00:00' "
                         "WHERE DataDAL = ?",
                         {Vb::isoDate(t)}));
        QVERIFY(Db::exec("UPDATE Magazzino SET Modificato = 0"));
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QTRY_COMPARE(w.ListMagazzino->count(), 1);
        w.cmdVediTutteLePromozioni->click();
        QCOMPARE(w.lstOfferte->count(), 2);
        w.lstOfferte->selezionaRiga(0);
        env.answer({QMessageBox::Cancel});
        w.cmdEliminaOfferta->click();
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Offerte").toInt(), 2);
        env.answer({QMessageBox::Ok});
        w.cmdEliminaOfferta->click();
        QCOMPARE(valoreDb("SELECT DataDAL FROM Offerte").toString(), Vb::isoDate(t.addDays(10)));
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Offerte").toInt(), 1);
        QCOMPARE(w.lstOfferte->count(), 1);
        QCOMPARE(w.lstOfferte->testo(0, 3), Vb::formatDate(t.addDays(10)));
        QCOMPARE(valoreDb("SELECT Modificato FROM Magazzino").toInt(), 1);
        w.unload();
    }

    void startNotice_data()
    {
        QTest::addColumn<QString>("setting"); // empty: key missing
        QTest::addColumn<int>("starts");      // days from today of a promotion's start
        QTest::addColumn<int>("ends");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("points");
        QTest::newRow("missing key") << "" << 0 << 0 << "" << 0;
        QTest::newRow("falso") << "FALSO" << 0 << 0 << "" << 0;
        QTest::newRow("starts today") << "Vero" << 0 << 3 << "INIZIANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE"
                                      << 20;
        QTest::newRow("ends today") << "Vero" << -3 << 0 << "TERMINANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE"
                                    << 20;
        QTest::newRow("both") << "vero" << 0 << 0 << "INIZIANO/TERMINANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE"
                              << 18;
        QTest::newRow("none today") << "Vero" << 1 << 2 << "" << 0;
    }
    void startNotice()
    {
        QFETCH(QString, setting);
        QFETCH(int, starts);
        QFETCH(int, ends);
        QFETCH(QString, text);
        QFETCH(int, points);
        TestEnv env;
        if (!setting.isEmpty())
            QVERIFY(ScriviINI(env.setup(), "Promozioni", "AvvisoAttivo", setting));
        const QDate t = QDate::currentDate();
        QVERIFY(Offerte::salva({1, t.addDays(starts), t.addDays(ends), 1, 0, 1}));
        QWidget w;
        QLabel lbl("before", &w);
        w.show();
        Offerte::AvvisoPromozioni(&lbl, t);
        if (setting.isEmpty())
            QCOMPARE(LeggiINI(env.setup(), "Promozioni", "AvvisoAttivo", "?"), QString("Falso"));
        if (!text.isEmpty()) {
            QCOMPARE(lbl.text(), text);
            QCOMPARE(lbl.font().pointSize(), points);
            QVERIFY(lbl.isVisible());
        } else if (setting.isEmpty() || setting == "FALSO") {
            QCOMPARE(lbl.text(), QString("before")); // switched off: the label is left alone
            QVERIFY(lbl.isVisible());
        } else {
            QVERIFY(!lbl.isVisible());
        }
    }
};

QTEST_MAIN(TestOfferte)
#include "tst_offerte.moc"
