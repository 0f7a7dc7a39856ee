// The article editor driven with QTest: opened new, from a code and from a scan; confirm, cancel
// and failures; field rules; the extra barcodes panel; the on-screen keyboard.
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/ui/frmTastiera.h"
#include "editing/ui/AggiungiMateriale.h"
#include "editing/ui/ScannedLookup.h"
#include "support/LimiteFile.h"
#include "support/Pannelli.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

namespace {

// Runs `f` on window T once it is shown modally (its load waits, so a plain zero timer would
// fire too early); a safety timer closes a window that a failed check left open. The watch is
// returned so a test where the window must not open can stop it.
template <class T> QPointer<QTimer> quandoModale(std::function<void(T&)> f)
{
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, f] {
        T* w = Forms::instance<T>();
        if (!w || !w->isVisible() || w->windowModality() != Qt::ApplicationModal)
            return;
        poll->stop();
        poll->deleteLater();
        QTimer::singleShot(8000, w, [w] { w->unload(); });
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
        f(*w);
    });
    poll->start();
    return poll;
}

QPointer<QTimer> nelModale(std::function<void(AggiungiMateriale&)> f)
{
    return quandoModale<AggiungiMateriale>(std::move(f));
}

// The article window's side, as the editor calls it.
struct Registro : ArchivioProva
{
    ArchivioCallbacks& cb() { return *this; }
};

void articolo5()
{
    QVERIFY(Db::exec("UPDATE Reparti SET Iva = 22 WHERE Cod = 3"));
    QVERIFY(
        Db::exec("INSERT INTO Magazzino (CodMateriale, Descrizione, \"Quantità\", Costo, UnitaMisura, Minimo, Genere, "
                 "Fornitore, Taglia, Colore, TipoMateriale, BarCode, Costo2, CodProdottoFornitore, CodPV, "
                 "Modificato, TipoVariazione) VALUES (5, 'OLIO EVO', 2.5, 1234.567, 'Lt', 0, '3', 'ROSSI', 'M', "
                 "'Blu', '500', '8001234567890', 0.1, 'F-9', 0, 0, 'N')"));
}

QVariantList riga5()
{
    QSqlQuery q = Db::query("SELECT Descrizione, \"Quantità\", Costo, UnitaMisura, Genere, Fornitore, Taglia, Colore, "
                            "TipoMateriale, BarCode, Costo2, CodProdottoFornitore, CodPV FROM Magazzino WHERE "
                            "CodMateriale = 5");
    QVariantList out;
    if (q.next())
        for (int i = 0; i < 13; ++i)
            out << q.value(i);
    return out;
}

} // namespace

class TestEditorWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newArticle()
    {
        TestEnv env;
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = 10, Descrizione = 'L''ORTO' WHERE Cod = 3"));
        Registro reg;
        bool ran = false;
        nelModale([&](AggiungiMateriale& ed) {
            ran = true;
            QVERIFY(!ed.isModifica());
            QVERIFY(!ed.cmdAggiungi->isEnabled());
            QCOMPARE(ed.txtUm->currentText(), QString("Pz"));
            QCOMPARE(ed.TxtQTA->text(), QString("0"));
            QCOMPARE(ed.txtUm->itemText(0), QString());
            ed.TxtDesc->setFocus();
            QTest::keyClicks(ed.TxtDesc, " Pasta/fresca ");
            ed.LbLBarCode->setFocus(); // leaving the description cleans it
            QCOMPARE(ed.TxtDesc->text(), QString("Pasta fresca"));
            QTest::keyClicks(ed.LbLBarCode, "8000000000017");
            ed.CboGenere->setCurrentIndex(2); // 3#L'ORTO: its VAT fills the empty box
            QCOMPARE(ed.txtIVA->text(), QString("10"));
            ed.CboFornitore->setEditText("bianchi");
            ed.txtAcquisto->setFocus();
            QTest::keyClicks(ed.txtAcquisto, "5");
            QCOMPARE(ed.txtAcquistoConIVA->text(), QString("5,50"));
            QTest::keyClicks(ed.txtPrezzoPubblico, "11");
            QCOMPARE(ed.txtRicaricoCalcolato->text(), QString("100"));
            QTest::mouseClick(ed.cmdAccetta, Qt::LeftButton);
            QCOMPARE(ed.TxtCosto->text(), QString("11"));
            QTest::mouseClick(ed.CmdConferma, Qt::LeftButton);
        });
        Aggiungi_Click(reg.cb());
        QVERIFY(ran);
        QVERIFY(!Forms::isLoaded<AggiungiMateriale>());
        QSqlQuery q =
            Db::query("SELECT CodMateriale, Descrizione, Costo, Costo2, CodPV, Fornitore, Genere, Modificato, "
                      "TipoVariazione, \"Quantità\" FROM Magazzino");
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QCOMPARE(q.value(1).toString(), QString("Pasta fresca"));
        QCOMPARE(q.value(2).toDouble(), 11.0);
        QCOMPARE(q.value(3).toDouble(), 5.0);
        QCOMPARE(q.value(4).toDouble(), 10.0);
        QCOMPARE(q.value(5).toString(), QString("BIANCHI"));
        QCOMPARE(q.value(6).toString(), QString("L'ORTO"));
        QCOMPARE(q.value(7).toInt(), 1);
        QCOMPARE(q.value(8).toString(), QString("F"));
        QCOMPARE(q.value(9).toDouble(), 0.0);
        QCOMPARE(reg.ricariche, QStringList({"descrizione", "codice"}));
        QCOMPARE(reg.spunte, 1);
        QVERIFY(app().saltaAggiornamento);
    }

    // The editor's first opening writes the missing units back to Setup.ini. On a full disk (a
    // file-size limit below the file's size) that write fails: Setup.ini stays whole, byte for
    // byte, nothing is left beside it, and the units are offered all the same.
    void fullDiskKeepsSetupWhole()
    {
        TestEnv env;
        const QByteArray setup = "[RegCassa]\r\nPortaCOM=3\r\nPiruNEX=Falso\r\n[Cartelle]\r\nOUT=/srv/out\r\n"
                                 "[IVA TARVENIT]\r\n4=1\r\n10=2\r\n22=3\r\n0=4\r\n[STdiSISTEMA]\r\n"
                                 "Predefinita=A4\r\nxFrontalini=Etichette\r\n";
        writeRaw(env.setup(), setup);
        Registro reg;
        QStringList unita;
        nelModale([&](AggiungiMateriale& ed) {
            for (int i = 0; i < ed.txtUm->count(); ++i)
                unita << ed.txtUm->itemText(i);
            QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        {
            LimiteFile limite(setup.size() / 2);
            QVERIFY(limite.ok());
            Aggiungi_Click(reg.cb());
        }
        QCOMPARE(readAll(env.setup()), setup);
        QCOMPARE(QDir(env.home()).entryList({"*Setup.ini*"}, QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{"Setup.ini"});
        QCOMPARE(unita, QStringList({"", "Bot", "Pz", "Kg", "gr", "Lt", "Fogli", "Spicchi"}));
        // With room again, the next opening writes them after what was there.
        nelModale([](AggiungiMateriale& ed) { QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton); });
        Aggiungi_Click(reg.cb());
        QVERIFY(readAll(env.setup()).startsWith(setup));
        QCOMPARE(LeggiINI(env.setup(), "UnitaMisura", "Unita7", "?"), QString("Spicchi"));
    }

    void emptyFieldAndCancel()
    {
        TestEnv env;
        Registro reg;
        QStringList seen;
        nelModale([&](AggiungiMateriale& ed) {
            ed.TxtDesc->setText("X");
            ed.TxtQTA->clear();
            QTest::mouseClick(ed.CmdConferma, Qt::LeftButton);
            seen = env.messages();
            QVERIFY(ed.isVisible());
            QCOMPARE(QApplication::focusWidget(), ed.TxtQTA);
            QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        Aggiungi_Click(reg.cb());
        QCOMPARE(seen, QStringList{"Prego verificare tutti i dati e riprovare"});
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 0);
        QVERIFY(app().saltaAggiornamento);
        QCOMPARE(reg.spunte, 0);
    }

    // From the list (by its code) or from a scan, the editor shows the stored row and an unchanged
    // confirm writes the same values back, a unit spelt otherwise than the list's too.
    void openingsKeepTheStoredRow_data()
    {
        QTest::addColumn<bool>("daScansione");
        QTest::newRow("from the list") << false;
        QTest::newRow("from a scan") << true;
    }
    void openingsKeepTheStoredRow()
    {
        QFETCH(bool, daScansione);
        TestEnv env;
        QVERIFY(ScriviINI(env.setup(), "Config", "SalvaRepartoComeCODICE", "Vero"));
        articolo5();
        QVERIFY(Db::exec("UPDATE Magazzino SET UnitaMisura = 'LT'"));
        const QVariantList before = riga5();
        Registro reg;
        bool ran = false;
        nelModale([&](AggiungiMateriale& ed) {
            ran = true;
            QVERIFY(ed.isModifica());
            QCOMPARE(ed.AppCodeModifica->text(), QString("5"));
            QCOMPARE(ed.TxtDesc->text(), QString("OLIO EVO"));
            QCOMPARE(ed.TxtQTA->text(), QString("2,5"));
            QCOMPARE(ed.TxtCosto->text(), QString("1234,567"));
            QCOMPARE(ed.txtAcquisto->text(), QString("0,10"));
            QCOMPARE(ed.txtIVA->text(), QString("0")); // the department's 22 does not replace it
            QCOMPARE(ed.txtAcquistoConIVA->text(), QString("0,10"));
            QCOMPARE(ed.CboGenere->currentText(), QString("3#Reparto3")); // a stored code finds its department
            QCOMPARE(ed.CboFornitore->currentText(), QString("ROSSI"));
            QCOMPARE(ed.txtUm->currentText(), QString("LT"));
            QCOMPARE(ed.cbTaglie->currentText(), QString("M"));
            QCOMPARE(ed.cbColore->currentText(), QString("Blu"));
            QCOMPARE(ed.txtPesoConf->text(), QString("500"));
            QCOMPARE(ed.LbLBarCode->text(), QString("8001234567890"));
            QVERIFY(ed.CmdConferma->isEnabled());
            QTest::mouseClick(ed.CmdConferma, Qt::LeftButton);
        });
        if (daScansione) {
            QWidget host;
            QLineEdit box(&host);
            host.show();
            box.setText("8001234567890");
            QCOMPARE(txtRicBarCode_KeyPress(&box, 13, reg.cb()), 13);
            QCOMPARE(box.text(), QString());
        } else {
            env.answer({QMessageBox::No});
            Modifica_Click("5", reg.cb());
            QCOMPARE(env.messages().first(), QString("Eliminare il PLU?"));
        }
        QVERIFY(ran);
        QCOMPARE(riga5(), before);
        QCOMPARE(valoreDb("SELECT Modificato FROM Magazzino").toInt(), 1);
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 1);
    }

    // A value pasted past the key filter is refused by the save, with the reason; the registers'
    // limits hold exactly: a value at its limit is saved, one just past it is refused.
    void pastedValuesAreChecked_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("messaggio"); // empty: saved
        QTest::addColumn<QString>("colonna");
        QTest::addColumn<double>("salvato");
        const QString prezzo = "Formato 'Prezzo di Vendita' non valido";
        const QString alto = "'%1' troppo alto: il massimo accettato dalle casse è 999.999,99";
        const QString qta = "'Q.tà Iniziale' troppo alta: al massimo 99.999.999,00";
        const Riga<QString, QString, QString, QString, double> riga;
        riga("negative price", "TxtCosto", "-1,50", prezzo, {}, 0);
        riga("exponent", "TxtCosto", "1e15", prezzo, {}, 0);
        riga("negative purchase", "txtAcquisto", "-2", "Formato 'Prezzo di Acquisto senza IVA' non valido", {}, 0);
        riga("VAT with letters", "txtIVA", "22a", "Formato 'IVA' non valido", {}, 0);
        riga("price at the registers' limit", "TxtCosto", "999999,99", {}, "Costo", 999999.99);
        riga("price past the registers' limit", "TxtCosto", "1000000", alto.arg("Prezzo di Vendita"), {}, 0);
        riga("purchase at the registers' limit", "txtAcquisto", "999.999,99", {}, "Costo2", 999999.99);
        riga("purchase past the registers' limit", "txtAcquisto", "999999,991",
             alto.arg("Prezzo di Acquisto senza IVA"), {}, 0);
        riga("VAT 100", "txtIVA", "100", {}, "CodPV", 100);
        riga("VAT past 100", "txtIVA", "100,01", "'IVA' non valida: al massimo 100", {}, 0);
        riga("stock at its limit", "TxtQTA", "99999999", {}, "\"Quantità\"", 99999999);
        riga("stock at its negative limit", "TxtQTA", "-99999999", {}, "\"Quantità\"", -99999999);
        riga("stock past its limit", "TxtQTA", "100000000", qta, {}, 0);
        riga("stock past its negative limit", "TxtQTA", "-100000000", qta, {}, 0);
    }
    void pastedValuesAreChecked()
    {
        QFETCH(QString, box);
        QFETCH(QString, valore);
        QFETCH(QString, messaggio);
        QFETCH(QString, colonna);
        QFETCH(double, salvato);
        TestEnv env;
        QVERIFY(ScriviINI(env.setup(), "Config", "SalvaRepartoComeCODICE", "Vero"));
        articolo5();
        const QVariantList before = riga5();
        Registro reg;
        QStringList seen;
        bool open = false;
        QWidget* focus = nullptr;
        QLineEdit* e = nullptr;
        nelModale([&](AggiungiMateriale& ed) {
            e = ed.findChild<QLineEdit*>(box);
            QVERIFY(e);
            e->selectAll();
            e->insert(valore); // what a paste does: no key goes through the filter
            QCOMPARE(e->text(), valore);
            QTest::mouseClick(ed.CmdConferma, Qt::LeftButton);
            seen = env.messages();
            open = ed.isVisible();
            focus = QApplication::focusWidget();
            if (open)
                QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        env.answer({QMessageBox::No});
        Modifica_Click("5", reg.cb());
        if (messaggio.isEmpty()) {
            QCOMPARE(seen, QStringList{"Eliminare il PLU?"});
            QVERIFY(!open);
            QCOMPARE(valoreDb(QString("SELECT %1 FROM Magazzino WHERE CodMateriale = 5").arg(colonna)).toDouble(),
                     salvato);
            return;
        }
        QCOMPARE(seen, (QStringList{"Eliminare il PLU?", messaggio, "Prego verificare tutti i dati e riprovare"}));
        QVERIFY(open);
        QCOMPARE(focus, e); // the box that holds the refused value
        QCOMPARE(riga5(), before);
    }

    // An empty VAT box is told at each change of the purchase price.
    void missingVatIsTold()
    {
        TestEnv env;
        QStringList seen;
        nelModale([&](AggiungiMateriale& ed) {
            QCOMPARE(ed.txtIVA->text(), QString());
            ed.txtAcquisto->setFocus();
            QTest::keyClicks(ed.txtAcquisto, "50");
            seen = env.messages();
            QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        Registro reg;
        Aggiungi_Click(reg.cb());
        QCOMPARE(seen, QStringList(2, "IMPOSTARE ALIQUOTA IVA - Verificare"));
    }

    // The question, when the setting asks for it, and the Yes that saves without the code.
    void supplierCodeQuestion_data()
    {
        QTest::addColumn<QString>("valore");
        QTest::addColumn<bool>("chiede");
        QTest::newRow("Vero") << "Vero" << true;
        QTest::newRow("Si") << "Si" << false;
    }
    void supplierCodeQuestion()
    {
        QFETCH(QString, valore);
        QFETCH(bool, chiede);
        TestEnv env;
        QVERIFY(ScriviINI(env.setup(), "Config", "SalvaRepartoComeCODICE", "Vero"));
        QVERIFY(ScriviINI(env.setup(), "Config", "VerificaCodiceFornitore", valore));
        articolo5();
        Registro reg;
        QStringList seen;
        nelModale([&](AggiungiMateriale& ed) {
            ed.txtCodArtFornitore->clear();
            QTest::mouseClick(ed.CmdConferma, Qt::LeftButton);
            seen = env.messages();
        });
        env.answer({QMessageBox::No, QMessageBox::Yes});
        Modifica_Click("5", reg.cb());
        const QString domanda = "Codice Articolo del fornitore non inserito - Proseguire cmq?";
        QCOMPARE(seen.contains(domanda), chiede);
        QVERIFY(!Forms::isLoaded<AggiungiMateriale>());
        QCOMPARE(valoreDb("SELECT CodProdottoFornitore FROM Magazzino WHERE CodMateriale = 5").toString(), QString());
    }

    void lookupMisses()
    {
        TestEnv env;
        articolo5();
        QVERIFY(Db::exec("UPDATE Magazzino SET Eliminato = 1"));
        Registro reg;
        IntercettaBarCode("8001234567890", reg.cb());
        QCOMPARE(env.messages(), QStringList{"ATTENZIONE! Prodotto Non Registrato o Lettura Imperfetta!"});
        QVERIFY(!Forms::isLoaded<AggiungiMateriale>());
    }

    // A list or the article that cannot be read is told, and the editor does not open on it: it
    // would offer no department or supplier as if there were none, or call the article missing.
    void failedReadsAreTold_data()
    {
        QTest::addColumn<QStringList>("rottura");
        QTest::addColumn<QString>("apertura"); // "nuovo", "modifica" (article 5) or "scansione" (its barcode)
        QTest::addColumn<QString>("messaggio");
        const QString plu = "ATTENZIONE! Lettura del PLU non riuscita";
        QTest::newRow("departments") << QStringList{"ALTER TABLE Reparti RENAME TO Altrove"} << "nuovo"
                                     << "ATTENZIONE! Lettura dei reparti non riuscita";
        QTest::newRow("suppliers") << QStringList{"ALTER TABLE Magazzino RENAME TO Altrove"} << "nuovo"
                                   << "ATTENZIONE! Lettura dei fornitori non riuscita";
        QTest::newRow("the scanned barcode")
            << QStringList{"ALTER TABLE Magazzino RENAME TO Altrove"} << "scansione" << plu;
        // The suppliers are still there; the article's row is not.
        QTest::newRow("the article") << QStringList{"ALTER TABLE Magazzino RENAME TO Altrove",
                                                    "CREATE VIEW Magazzino AS SELECT Fornitore FROM Altrove"}
                                     << "modifica" << plu;
    }
    void failedReadsAreTold()
    {
        QFETCH(QStringList, rottura);
        QFETCH(QString, apertura);
        QFETCH(QString, messaggio);
        TestEnv env;
        articolo5();
        for (const QString& sql : rottura)
            QVERIFY(Db::exec(sql));
        bool aperto = false;
        const QPointer<QTimer> attesa = nelModale([&](AggiungiMateriale& ed) {
            aperto = true;
            ed.unload();
        });
        Registro reg;
        QStringList attesi{messaggio};
        if (apertura == "nuovo") {
            Aggiungi_Click(reg.cb());
        } else if (apertura == "scansione") {
            IntercettaBarCode("8001234567890", reg.cb());
        } else {
            env.answer({QMessageBox::No});
            Modifica_Click("5", reg.cb());
            attesi.prepend("Eliminare il PLU?");
        }
        delete attesa.data();
        QVERIFY(!aperto);
        QCOMPARE(env.messages(), attesi);
        QVERIFY(!Forms::isLoaded<AggiungiMateriale>());
    }

    void editWithoutSelectionAndDelete()
    {
        TestEnv env;
        articolo5();
        QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (5, 'X')"));
        QVERIFY(Db::exec("INSERT INTO Offerte (Articolo, DataDAL, DataAL) VALUES (5, '2030-01-01', '2030-01-01')"));
        Registro reg;
        Modifica_Click("", reg.cb());
        QCOMPARE(env.messages(), QStringList{"Nessun PLU selezionato"});
        QVERIFY(!Forms::isLoaded<AggiungiMateriale>());
        env.answer({QMessageBox::Yes, QMessageBox::No});
        Modifica_Click("5", reg.cb());
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 1);
        env.answer({QMessageBox::Yes, QMessageBox::Yes});
        Modifica_Click("5", reg.cb());
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Magazzino").toInt(), 0);
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM BarCodeUlteriori").toInt(), 0);
        QCOMPARE(valoreDb("SELECT COUNT(*) FROM Offerte").toInt(), 0);
        QCOMPARE(reg.ricerche, 1);
        QCOMPARE(reg.focus, 3);
    }

    void failedSaveKeepsTheEditorOpen()
    {
        TestEnv env;
        articolo5();
        QVERIFY(Db::exec("CREATE TRIGGER ro BEFORE UPDATE ON Magazzino BEGIN SELECT RAISE(ABORT, 'locked'); END"));
        Registro reg;
        QStringList seen;
        bool open = false;
        nelModale([&](AggiungiMateriale& ed) {
            ed.TxtDesc->setText("OLIO NUOVO");
            QTest::mouseClick(ed.CmdConferma, Qt::LeftButton);
            seen = env.messages();
            open = ed.isVisible() && ed.TxtDesc->text() == "OLIO NUOVO";
            QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        env.answer({QMessageBox::No});
        Modifica_Click("5", reg.cb());
        QVERIFY(open);
        QCOMPARE(seen.last(), QString("ATTENZIONE! Salvataggio del PLU non riuscito - Verificare i dati e riprovare"));
        QCOMPARE(reg.ricariche, QStringList());
        QCOMPARE(valoreDb("SELECT Descrizione FROM Magazzino").toString(), QString("OLIO EVO"));
    }

    // An edited article may not take another article's main barcode either: the scanner and the
    // registers would take the two for one. Nothing is written.
    void editRefusesAnotherArticlesBarcode()
    {
        TestEnv env;
        articolo5();
        QVERIFY(
            Db::exec("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, \"Quantità\", Costo, Costo2, "
                     "UnitaMisura, Genere, Fornitore) VALUES (6, 'ALTRO', '111', 1, 1, 1, 'Pz', 'Reparto3', 'ROSSI')"));
        QStringList seen;
        nelModale([&](AggiungiMateriale& ed) {
            ed.LbLBarCode->setText("8001234567890");
            QTest::mouseClick(ed.CmdConferma, Qt::LeftButton);
            seen = env.messages();
            ed.unload();
        });
        env.answer({QMessageBox::No});
        Registro reg;
        Modifica_Click("6", reg.cb());
        QCOMPARE(seen, QStringList({"Eliminare il PLU?",
                                    "Attenzione codice a barre già presente - Verificare - Impossibile procedere",
                                    "Prego verificare tutti i dati e riprovare"}));
        QCOMPARE(valoreDb("SELECT BarCode FROM Magazzino WHERE CodMateriale = 6").toString(), QString("111"));
    }

    void fieldRulesAndKeyboard()
    {
        TestEnv env;
        int tipoTastiera = 0;
        nelModale([&](AggiungiMateriale& ed) {
            // The real on-screen keyboard, typed on as the user would.
            quandoModale<frmTastiera>([&tipoTastiera](frmTastiera& k) {
                tipoTastiera = k.tipo();
                k.ckMaiusc->click();
                for (const QChar c : QStringLiteral("VERDI"))
                    for (QPushButton* b : k.ssAlfa)
                        if (b->text() == c)
                            QTest::mouseClick(b, Qt::LeftButton);
                QTest::mouseClick(k.ssInvio, Qt::LeftButton);
            });
            QTest::mouseClick(ed.cmdTastieraVirtual, Qt::LeftButton);
            QCOMPARE(tipoTastiera, 9);
            QVERIFY(!Forms::isLoaded<frmTastiera>() || !Forms::instance<frmTastiera>()->isVisible());
            QCOMPARE(ed.CboFornitore->currentText(), QString("VERDI"));
            ed.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&ed));
            ed.CboFornitore->setEditText("D'Angelo");
            ed.CboFornitore->setFocus();
            ed.TxtDesc->setFocus();
            QCOMPARE(ed.CboFornitore->currentText(), QString("D Angelo"));
            ed.txtAcquisto->setFocus();
            QTest::keyClicks(ed.txtAcquisto, ".1.5.x");
            QCOMPARE(ed.txtAcquisto->text(), QString("1,5"));
            QTest::keyClick(ed.txtAcquisto, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), ed.txtIVA);
            ed.LbLBarCode->setFocus();
            QTest::keyClick(ed.LbLBarCode, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), ed.TxtDesc);
            QTest::keyClicks(ed.txtPesoConf, "5.0a0");
            QCOMPARE(ed.txtPesoConf->text(), QString("500"));
            QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        Registro reg;
        Aggiungi_Click(reg.cb());
    }

    void extraBarcodesPanel()
    {
        TestEnv env;
        articolo5();
        QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode, CodPerTabProd) VALUES (5, 'OLD', '5')"));
        QStringList afterAdd;
        QString casella;
        nelModale([&](AggiungiMateriale& ed) {
            QTest::mouseClick(ed.cmdBCAlternativi, Qt::LeftButton);
            QVERIFY(ed.frBarCodeAlternativi->isVisible());
            QCOMPARE(ed.lstElencoBarCode->rowCount(), 1499);
            for (const char* c : {"111", "8001234567890", "111", ""}) {
                ed.lblCercaBarCode->setText(c);
                QTest::keyClick(ed.lblCercaBarCode, Qt::Key_Return);
            }
            QCOMPARE(ed.lblCercaBarCode->text(), QString());
            afterAdd = ed.celleBarCode().mid(0, 3);
            // Cell editing: a yellow box over the cell, Down moves to the next row.
            ed.lstElencoBarCode->setFocus();
            ed.lstElencoBarCode->setCurrentCell(0, 0);
            QApplication::processEvents();
            auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(box);
            casella = box->objectName();
            box->selectAll();
            QTest::keyClicks(box, "OLD2");
            QCOMPARE(ed.celleBarCode().at(0), QString("OLD2")); // every change reaches the grid
            QTest::keyClick(box, Qt::Key_Down);
            QTest::keyClick(box, Qt::Key_Down);
            QApplication::processEvents();
            QCOMPARE(ed.lstElencoBarCode->currentRow(), 2);
            auto* box2 = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(box2);
            QTest::keyClicks(box2, "333");
            QTest::mouseClick(ed.cmdNascondi, Qt::LeftButton);
            QVERIFY(!ed.frBarCodeAlternativi->isVisible());
            // Edits closed without saving are dropped.
            QTest::mouseClick(ed.cmdBCAlternativi, Qt::LeftButton);
            ed.lblCercaBarCode->setText("999");
            QTest::keyClick(ed.lblCercaBarCode, Qt::Key_Return);
            QTest::mouseClick(ed.cmdBCAlternativi, Qt::LeftButton);
            QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        env.answer({QMessageBox::No});
        Registro reg;
        Modifica_Click("5", reg.cb());
        QCOMPARE(afterAdd, QStringList({"OLD", "111", ""}));
        QCOMPARE(casella, QString("Casella"));
        QSqlQuery q = Db::query("SELECT BarCode, CodPerTabProd, Inviato FROM BarCodeUlteriori ORDER BY rowid");
        QStringList rows;
        while (q.next())
            rows << q.value(0).toString() + "|" + q.value(1).toString() + "|" + q.value(2).toString();
        QCOMPARE(rows, QStringList({"OLD2|5|0", "111|5|0", "333|5|0"}));
    }

    // A read that fails shows nothing to edit, and "Salva e chiudi" then deletes nothing.
    void failedExtraBarcodeReadSavesNothing()
    {
        TestEnv env;
        articolo5();
        QVERIFY(Db::exec("INSERT INTO BarCodeUlteriori (CodProd, BarCode, CodPerTabProd) VALUES (5, 'OLD', '5')"));
        nelModale([&](AggiungiMateriale& ed) {
            QVERIFY(Db::exec("ALTER TABLE BarCodeUlteriori RENAME TO Altrove"));
            QTest::mouseClick(ed.cmdBCAlternativi, Qt::LeftButton);
            QVERIFY(!ed.frBarCodeAlternativi->isVisible());
            QVERIFY(Db::exec("ALTER TABLE Altrove RENAME TO BarCodeUlteriori"));
            ed.cmdNascondi_Click();
            QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        env.answer({QMessageBox::No});
        Registro reg;
        Modifica_Click("5", reg.cb());
        QVERIFY(env.messages().contains("ATTENZIONE! Lettura dei BarCode alternativi non riuscita"));
        QCOMPARE(valoreDb("SELECT group_concat(BarCode) FROM BarCodeUlteriori WHERE CodProd = 5").toString(),
                 QString("OLD"));
    }

    void extraBarcodesNeedAStoredArticle()
    {
        TestEnv env;
        nelModale([&](AggiungiMateriale& ed) {
            QTest::mouseClick(ed.cmdBCAlternativi, Qt::LeftButton);
            ed.LbLBarCode->setText("123");
            QTest::mouseClick(ed.cmdBCAlternativi, Qt::LeftButton);
            ed.cmdNascondi_Click();
            QVERIFY(!ed.frBarCodeAlternativi->isVisible());
            QTest::mouseClick(ed.cmdAnnulla, Qt::LeftButton);
        });
        Registro reg;
        Aggiungi_Click(reg.cb());
        QCOMPARE(
            env.messages(),
            QStringList({"Immettere un Codice a Barre del prodotto nella relativa casella rossa prima di proseguire",
                         "Confermare prima i dati inseriti",
                         "Premere il Conferma principale prima di proseguire - Operazione interrotta"}));
    }
};

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
