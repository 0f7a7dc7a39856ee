// The article window when a read of the archive fails: the promotions list, its print and the
// delete question tell the failure and change nothing; they never show it as a missing article.
#include "archive/ui/Magazzino.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/VbConvert.h"
#include "labels/ReportSupport.h"
#include "support/FinestraMagazzino.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

Magazzino& apri(int righe)
{
    Magazzino& w = Forms::get<Magazzino>();
    w.showModeless();
    if (!QTest::qWaitFor([&] { return w.ListMagazzino->count() == righe; }, 5000))
        qWarning() << "list not loaded" << w.ListMagazzino->count();
    return w;
}

// The article table goes away under the window (a damaged or replaced database file), and back.
void rompiArchivio()
{
    QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Magazzino RENAME TO MagazzinoAltrove")));
}
void riparaArchivio()
{
    QVERIFY(Db::exec(QStringLiteral("ALTER TABLE MagazzinoAltrove RENAME TO Magazzino")));
}

QString errori(const TestEnv& env)
{
    QFile f(env.path(QStringLiteral("Dati/ErrorLog.dat")));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

// Closes any report preview that opens and remembers it, so a print that should not happen does
// not hold the test.
class Anteprime : public QObject
{
public:
    Anteprime()
    {
        connect(&m_t, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QPrintPreviewDialog*>(w); d && d->isVisible()) {
                    viste << d->objectName();
                    QTimer::singleShot(50, d, &QDialog::reject);
                }
        });
        m_t.start(20);
    }
    QStringList viste;

private:
    QTimer m_t;
};

// An article with a promotion from today, and a promotion of an article that is not there.
void promozioni()
{
    articolo(1, QStringLiteral("Pasta"), QStringLiteral("8001"), 1.0, 2.0, 1.0);
    const QDate oggi = QDate::currentDate();
    for (int art : {1, 3})
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, "
                                        "Pezzi, PrzScnt) VALUES (?, ?, ?, 0.5, 0, '1', 1.5)"),
                         {art, Vb::isoDate(oggi), Vb::isoDate(oggi.addDays(3))}));
}

} // namespace

class TestLettureFallite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The list from the frame's day on: a missing article is "NON TROVATO", an article that
    // cannot be read is no row at all, told and logged.
    void promotionsList()
    {
        TestEnv env;
        promozioni();
        Magazzino& w = apri(1);
        w.cmdVediTutteLePromozioni->click();
        QVERIFY(w.frElencoPromozioni->isVisible());
        QCOMPARE(w.lstOfferte->count(), 2);
        QCOMPARE(w.lstOfferte->testo(0, 2), QStringLiteral("Pasta"));
        QCOMPARE(w.lstOfferte->testo(1, 2), QStringLiteral("NON TROVATO"));
        w.cmdChiudiElencoOfferte->click();

        rompiArchivio();
        env.clearMessages();
        w.cmdVediTutteLePromozioni->click();
        QCOMPARE(env.messages(), QStringList{QStringLiteral("ATTENZIONE! Lettura delle promozioni non riuscita")});
        QCOMPARE(w.lstOfferte->count(), 0);
        QVERIFY(!w.frElencoPromozioni->isVisible());
        QVERIFY(w.ListMagazzino->isEnabled());
        QVERIFY(errori(env).contains(QStringLiteral("*-Magazzino-VediTutteLePromozioni-]")));

        riparaArchivio();
        w.cmdVediTutteLePromozioni->click();
        QCOMPARE(w.lstOfferte->count(), 2);
        w.unload();
    }

    // Printing the list when its articles can no longer be read: told, nothing printed, the
    // report's table keeps the last print.
    void promotionsPrint()
    {
        TestEnv env;
        ReportPrinters stampanti;
        promozioni();
        Magazzino& w = apri(1);
        w.cmdVediTutteLePromozioni->click();
        QCOMPARE(w.lstOfferte->count(), 2);
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO rptProdotti (Descrizione) VALUES ('Precedente')")));

        rompiArchivio();
        Anteprime anteprime;
        env.clearMessages();
        QTest::mouseClick(w.cmdStampaElencoOfferte, Qt::LeftButton);
        QTest::qWait(100);
        QCOMPARE(env.messages(),
                 QStringList{QStringLiteral("Stampa NON effettuata!!! - Errore nella preparazione dei dati")});
        QVERIFY(anteprime.viste.isEmpty());
        QVERIFY(stampanti.jobs().isEmpty());
        QCOMPARE(valoreDb(QStringLiteral("SELECT Descrizione FROM rptProdotti")).toString(),
                 QStringLiteral("Precedente"));
        QVERIFY(errori(env).contains(QStringLiteral("*-Magazzino-ValorizzaTabellaDiStampa-]")));
        riparaArchivio();
        w.unload();
    }

    // The stock report when the department names can no longer be read: told, never printed with
    // the codes in their place.
    void stockPrint()
    {
        TestEnv env;
        ReportPrinters stampanti;
        articolo(1, QStringLiteral("Pasta"), QStringLiteral("8001"), 1.0, 2.0, 1.0, QStringLiteral("3"));
        Magazzino& w = apri(1);
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Reparti RENAME TO RepartiAltrove")));
        Anteprime anteprime;
        env.clearMessages();
        env.answer({QMessageBox::No}); // printed, not exported
        QTest::mouseClick(w.cmdStampaMagazzino, Qt::LeftButton);
        QTest::qWait(100);
        QCOMPARE(env.messages().constLast(),
                 QStringLiteral("Stampa NON effettuata!!! - Errore nella preparazione dei dati"));
        QVERIFY(anteprime.viste.isEmpty());
        QVERIFY(stampanti.jobs().isEmpty());
        QVERIFY(errori(env).contains(QStringLiteral("*-Magazzino-ValorizzaTabReportMagazzino-]")));
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE RepartiAltrove RENAME TO Reparti")));
        w.unload();
    }

    void deleteQuestion()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Pasta"), QStringLiteral("8001"), 1.0, 2.0, 1.0);
        articolo(2, QStringLiteral("Riso"), QStringLiteral("8002"), 1.0, 2.0, 1.0);
        Magazzino& w = apri(2);
        w.ListMagazzino->selezionaRiga(0);
        const QString codice = w.ListMagazzino->selectedCode();

        // The article cannot be read: no question with an empty description, nothing deleted.
        rompiArchivio();
        env.clearMessages();
        w.Elimina->click();
        QCOMPARE(env.messages(),
                 QStringList{QStringLiteral("ATTENZIONE! Lettura del PLU non riuscita - PLU non eliminato")});
        QVERIFY(errori(env).contains(QStringLiteral("*-Magazzino-Elimina_click-]")));
        riparaArchivio();
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 2);
        QCOMPARE(w.ListMagazzino->count(), 2);

        // Read again: the question names it.
        env.clearMessages();
        env.answer({QMessageBox::No});
        w.ListMagazzino->selezionaRiga(0);
        w.Elimina->click();
        QCOMPARE(env.messages().value(0), QStringLiteral("Sicuro di eliminare: %1 ?")
                                              .arg(valoreDb(QStringLiteral("SELECT Descrizione FROM Magazzino "
                                                                           "WHERE CodMateriale = ?"),
                                                            {codice})
                                                       .toString()));
        w.unload();
    }

    // "Eliminati": a restore that fails is told and the article stays listed; deleted articles
    // that cannot be read are told, and no empty list says that none was deleted.
    void deletedArticles()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Pasta"), QStringLiteral("8001"), 1.0, 2.0, 1.0);
        articolo(2, QStringLiteral("Riso"), QStringLiteral("8002"), 1.0, 2.0, 1.0);
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Eliminato = 1 WHERE CodMateriale = 2")));
        Magazzino& w = apri(1);
        QVERIFY(Db::exec(
            QStringLiteral("CREATE TRIGGER ro BEFORE UPDATE ON Magazzino BEGIN SELECT RAISE(ABORT, 'locked'); END")));
        int listati = -1;
        QStringList detti;
        const auto nellaFinestra = [&](std::function<void(frmEliminati&)> f) {
            listati = -1;
            QTimer::singleShot(50, [&, f] {
                if (frmEliminati* e = Forms::instance<frmEliminati>(); e && e->isVisible()) {
                    f(*e);
                    listati = e->lstEliminati->count();
                    e->cmdChiudi->click();
                }
            });
        };
        nellaFinestra([&](frmEliminati& e) {
            e.cmdRipristina->click();
            detti = env.messages();
        });
        w.Recupera->click();
        QCOMPARE(detti, QStringList{QStringLiteral("ATTENZIONE! Ripristino del PLU non riuscito")});
        QCOMPARE(listati, 1);

        rompiArchivio();
        env.clearMessages();
        nellaFinestra([](frmEliminati&) {});
        w.Recupera->click();
        QTest::qWait(100);
        QCOMPARE(listati, -1);
        QCOMPARE(env.messages(), QStringList{QStringLiteral("ATTENZIONE! Lettura dei PLU eliminati non riuscita")});
        QVERIFY(!Forms::isLoaded<frmEliminati>());
        riparaArchivio();
        w.unload();
    }

    // The reads the window repeats by itself (the list's reloads, the activation's combos): when
    // they fail, what it showed stays, the status line says why (logged once however often they
    // run) and goes once they read again. A search by a department whose code cannot be read is
    // not run with a wrong code.
    void repeatedReads()
    {
        TestEnv env;
        QVERIFY(ScriviINI(env.setup(), QStringLiteral("Config"), QStringLiteral("SalvaRepartoComeCODICE"),
                          QStringLiteral("Vero")));
        articolo(1, QStringLiteral("Pasta"), QStringLiteral("8001"), 1.0, 2.0, 1.0);
        articolo(2, QStringLiteral("Riso"), QStringLiteral("8002"), 1.0, 2.0, 1.0);
        Magazzino& w = apriMagazzinoAttivato();
        QCOMPARE(w.ListMagazzino->count(), 2);
        const auto attiva = [&w] {
            w.Form_Activate();
            QTest::qWait(50); // the list's reload follows
        };
        const QString avvisoPLU = QStringLiteral("ATTENZIONE! Lettura dei PLU non riuscita: l'elenco non è aggiornato");

        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Reparti RENAME TO RepartiAltrove")));
        w.Genere->setCurrentIndex(2);
        w.CmdCerca->click();
        QCOMPARE(w.ListMagazzino->count(), 2);
        QCOMPARE(w.lblTab->text(), avvisoPLU);
        QVERIFY(w.lblTab->isVisible());
        attiva();
        QCOMPARE(w.Genere->count(), 40);
        QCOMPARE(w.ListMagazzino->count(), 2);
        QCOMPARE(w.ListMagazzino->testo(0, ArticleList::colReparto), QStringLiteral("Reparto3")); // not the code
        QCOMPARE(w.lblTab->text(), avvisoPLU);
        attiva();
        QCOMPARE(errori(env).count(QStringLiteral("3146 *-Magazzino-CaricaMagazzino-]")), 1);
        QCOMPARE(errori(env).count(QStringLiteral("3146 *-Magazzino-CaricaCboGeneri-]")), 1);
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE RepartiAltrove RENAME TO Reparti")));
        attiva();
        QVERIFY(!w.lblTab->isVisible());

        rompiArchivio();
        attiva();
        QCOMPARE(w.Fornitore->count(), 1);
        QCOMPARE(w.ListMagazzino->count(), 2);
        QVERIFY(w.lblTab->isVisible());
        riparaArchivio();
        attiva();
        QVERIFY(!w.lblTab->isVisible());
        w.unload();
    }
};

QTEST_MAIN(TestLettureFallite)
#include "tst_letturefallite.moc"
