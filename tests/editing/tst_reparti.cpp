// The department window driven as a user would: view and edit, the VAT question, the key rules,
// the value box, reset, icons, and a save that fails.
#include "core/Database.h"
#include "core/Paths.h"
#include "core/Schema.h"
#include "core/VbConvert.h"
#include "editing/Reparti.h"
#include "editing/ui/RepartiWindow.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

RepartiWindow& apri(ArchivioCallbacks& archivio)
{
    RepartiWindow& w = Forms::get<RepartiWindow>(archivio);
    w.showModeless();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("window not active");
    QTest::qWait(20);
    return w;
}

void selezionaCod(RepartiWindow& w, int cod)
{
    for (int r = 0; r < w.ListReparti->rowCount(); ++r) {
        if (w.ListReparti->item(r, 0)->text() == QString::number(cod)) {
            w.ListReparti->setCurrentCell(r, 0);
            w.ListReparti_Click();
            return;
        }
    }
    QFAIL("department not listed");
}

QVariant col(const char* c, int cod)
{
    return valoreDb(QString("SELECT %1 FROM Reparti WHERE Cod = ?").arg(c), {cod});
}

void png(const QString& path)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::red);
    QVERIFY(img.save(path, "PNG"));
}

} // namespace

class TestReparti : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void viewAndEdit()
    {
        ArchivioProva archivio;
        TestEnv env;
        RepartiWindow& w = apri(archivio);
        QCOMPARE(w.ListReparti->rowCount(), 40);
        QVERIFY(!w.Frame1->isEnabled());
        QCOMPARE(w.NomeReparto->text(), QString("Reparto1"));
        QCOMPARE(w.ListReparti->item(0, 5)->text(), QString("No")); // a new database's departments have none
        selezionaCod(w, 5);
        QCOMPARE(w.NomeReparto->text(), QString("Reparto5"));
        QTest::mouseClick(w.Command1[0], Qt::LeftButton);
        QVERIFY(w.inModifica());
        QCOMPARE(w.Frame1->title(), QString("Modifica Reparto5"));
        QVERIFY(!w.ListReparti->isEnabled() && !w.Command1[0]->isEnabled() && !w.Command1[1]->isEnabled());
        w.NomeReparto->selectAll();
        QTest::keyClicks(w.NomeReparto, "L'ORTO");
        w.Iva->clear();
        QTest::keyClicks(w.Iva, "22");
        QTest::keyClicks(w.txtValoreReparto, "12");
        w.ckPrezzoZero->setChecked(true);
        QTest::mouseClick(w.Conferma, Qt::LeftButton);
        QVERIFY(!w.inModifica());
        QCOMPARE(col("Descrizione", 5).toString(), QString("L'ORTO"));
        QCOMPARE(col("Iva", 5).toDouble(), 22.0);
        QCOMPARE(col("PrezzoPrefissato", 5).toDouble(), 12.0);
        QCOMPARE(col("Sconto", 5).toInt(), 1);
        QCOMPARE(w.ListReparti->currentRow(), 0); // the first department, not the edited one
        QCOMPARE(w.ListReparti->item(4, 1)->text(), QString("L'ORTO"));

        // Annulla drops the edits.
        selezionaCod(w, 5);
        w.Command1_Click(0);
        w.NomeReparto->setText("NO");
        QTest::mouseClick(w.Annulla, Qt::LeftButton);
        QCOMPARE(col("Descrizione", 5).toString(), QString("L'ORTO"));
    }

    void vatQuestion_data()
    {
        QTest::addColumn<QString>("iva");
        QTest::addColumn<bool>("nonFiscale");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("saved");
        QTest::newRow("empty, yes") << "" << false << true << true << true;
        QTest::newRow("empty, no") << "" << false << false << true << false;
        QTest::newRow("zero fiscal, yes") << "0" << false << true << true << true;
        QTest::newRow("zero non fiscal") << "0" << true << true << false << true;
        QTest::newRow("ten") << "10" << false << true << false << true;
        QTest::newRow("bad") << "," << false << true << false << false;
    }
    void vatQuestion()
    {
        QFETCH(QString, iva);
        QFETCH(bool, nonFiscale);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        QFETCH(bool, saved);
        ArchivioProva archivio;
        TestEnv env;
        RepartiWindow& w = apri(archivio);
        selezionaCod(w, 3);
        w.Command1_Click(0);
        w.NomeReparto->setText("FRUTTA");
        w.Fiscale->setChecked(nonFiscale);
        w.Iva->setText(iva);
        env.clearMessages();
        env.answer({yes ? QMessageBox::Yes : QMessageBox::No});
        w.Conferma_Click();
        QCOMPARE(env.messages().contains("Impostare l'Iva del reparto a 0?"), asked);
        QCOMPARE(w.inModifica(), !saved);
        QCOMPARE(col("Descrizione", 3).toString(), saved ? QString("FRUTTA") : QString("Reparto3"));
        if (!saved)
            QCOMPARE(QApplication::focusWidget(), w.Iva);
        if (saved)
            QCOMPARE(col("NoFiscale", 3).toInt(), nonFiscale ? 1 : 0);
    }

    void keyRules()
    {
        ArchivioProva archivio;
        TestEnv env;
        RepartiWindow& w = apri(archivio);
        w.Command1_Click(0);
        w.NomeReparto->clear();
        QTest::keyClicks(w.NomeReparto, "ABCDEFGHIJKLMNOPQ");
        QCOMPARE(w.NomeReparto->text(), QString("ABCDEFGHIJKLMNOP")); // 16 at most
        w.Iva->clear();
        QTest::keyClicks(w.Iva, ".,2.5,x");
        QCOMPARE(w.Iva->text(), QString("2,5"));
        QTest::keyClicks(w.txtValoreReparto, "1a2,5.");
        QCOMPARE(w.txtValoreReparto->text(), QString("12,5"));
        // The VAT and value boxes stop at 5 characters; a selection may be typed over.
        QTest::keyClicks(w.Iva, "123");
        QCOMPARE(w.Iva->text(), QString("2,512"));
        QTest::keyClicks(w.txtValoreReparto, "34");
        QCOMPARE(w.txtValoreReparto->text(), QString("12,53"));
        w.txtValoreReparto->selectAll();
        QTest::keyClicks(w.txtValoreReparto, "9");
        QCOMPARE(w.txtValoreReparto->text(), QString("9"));
        // Non Fiscale locks the VAT at 0; clearing it unlocks and keeps the 0.
        w.Fiscale->setChecked(true);
        QCOMPARE(w.Iva->text(), QString("0"));
        QVERIFY(!w.Iva->isEnabled());
        w.Fiscale->setChecked(false);
        QVERIFY(w.Iva->isEnabled());
        QCOMPARE(w.Iva->text(), QString("0"));
        // A stored name longer than the box is shown whole, not cut.
        QVERIFY(Db::exec("UPDATE Reparti SET Descrizione = 'DESCRIZIONE MOLTO LUNGA', PrezzoPrefissato = 1234.5 "
                         "WHERE Cod = 1"));
        w.Annulla_Click();
        QCOMPARE(w.NomeReparto->text(), QString("DESCRIZIONE MOLTO LUNGA"));
        QCOMPARE(w.txtValoreReparto->text(), QString("1234,5"));
    }

    // The value box as saved: a pasted value that is not a number, or past what the registers
    // take, is refused with the reason; one at that limit is saved.
    void valueBoxIsChecked_data()
    {
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("message"); // empty: saved
        QTest::addColumn<double>("stored");
        const QString formato = "Formato 'Valore Reparto' non valido";
        QTest::newRow("empty") << ""
                               << "" << 0.0;
        QTest::newRow("12,5") << "12,5"
                              << "" << 12.5;
        QTest::newRow("two commas") << "1,2,3" << formato << 7.0;
        QTest::newRow("pasted negative") << "-5" << formato << 7.0;
        QTest::newRow("pasted exponent") << "1e15" << formato << 7.0;
        QTest::newRow("at the registers' limit") << "999.999,99"
                                                 << "" << 999999.99;
        QTest::newRow("past the registers' limit")
            << "999999,991" << formato + ": il massimo accettato dalle casse è 999.999,99" << 7.0;
    }
    void valueBoxIsChecked()
    {
        QFETCH(QString, valore);
        QFETCH(QString, message);
        QFETCH(double, stored);
        const bool saved = message.isEmpty();
        ArchivioProva archivio;
        TestEnv env;
        QVERIFY(Db::exec("UPDATE Reparti SET PrezzoPrefissato = 7, Iva = 10 WHERE Cod = 1"));
        RepartiWindow& w = apri(archivio);
        w.Command1_Click(0);
        w.txtValoreReparto->setText(valore);
        env.clearMessages();
        w.Conferma_Click();
        QCOMPARE(w.inModifica(), !saved);
        QCOMPARE(col("PrezzoPrefissato", 1).toDouble(), stored);
        QCOMPARE(env.messages(), saved ? QStringList() : QStringList{message});
        if (!saved)
            QCOMPARE(QApplication::focusWidget(), w.txtValoreReparto);
    }

    // The VAT pasted into its box is checked as the editor's: a sign, an exponent or more than 100
    // is refused with the reason, nothing is saved and the list shows the old rate.
    void vatIsChecked_data()
    {
        QTest::addColumn<QString>("iva");
        QTest::addColumn<QString>("message"); // empty: saved
        QTest::addColumn<double>("stored");
        const QString formato = "Formato 'Iva' non valido";
        QTest::newRow("22") << "22"
                            << "" << 22.0;
        QTest::newRow("4,5") << "4,5"
                             << "" << 4.5;
        QTest::newRow("pasted -22") << "-22" << formato << 10.0;
        QTest::newRow("pasted exponent") << "1e2" << formato << 10.0;
        QTest::newRow("two commas") << "2,2,2" << formato << 10.0;
        QTest::newRow("100") << "100"
                             << "" << 100.0;
        QTest::newRow("past 100") << "100,01"
                                  << "'Iva' non valida: al massimo 100" << 10.0;
    }
    void vatIsChecked()
    {
        QFETCH(QString, iva);
        QFETCH(QString, message);
        QFETCH(double, stored);
        ArchivioProva archivio;
        TestEnv env;
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = 10 WHERE Cod = 1"));
        RepartiWindow& w = apri(archivio);
        selezionaCod(w, 1);
        QTest::mouseClick(w.Command1[0], Qt::LeftButton);
        w.Iva->setText(iva); // pasted: the key filter does not see it
        env.clearMessages();
        QTest::mouseClick(w.Conferma, Qt::LeftButton);
        QCOMPARE(env.messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(col("Iva", 1).toDouble(), stored);
        QCOMPARE(w.inModifica(), !message.isEmpty());
        if (message.isEmpty())
            QCOMPARE(w.ListReparti->item(w.ListReparti->currentRow(), 2)->text(), Vb::cstr(stored));
        // The logic refuses it too, whoever calls it.
        Reparti::Modifica m;
        m.nome = "Pane";
        m.iva = iva;
        QCOMPARE(bool(Reparti::salva(1, m)), message.isEmpty());
    }

    // Showing a row and opening it for editing fill the price and discount boxes and their ticks;
    // the next row clears what the previous one left.
    void rowFillsPriceAndDiscount()
    {
        ArchivioProva archivio;
        TestEnv env;
        QVERIFY(Db::exec("UPDATE Reparti SET PrezzoPrefissato = 2.5, Sconto = 0 WHERE Cod = 2"));
        QVERIFY(Db::exec("UPDATE Reparti SET PrezzoPrefissato = 0, Sconto = 3 WHERE Cod = 3"));
        RepartiWindow& w = apri(archivio);
        selezionaCod(w, 2);
        QCOMPARE(w.txtValoreReparto->text(), QString("2,5"));
        QVERIFY(w.Check1->isChecked() && !w.Check2->isChecked() && !w.ckPrezzoZero->isChecked());
        QTest::mouseClick(w.Command1[0], Qt::LeftButton);
        QCOMPARE(w.Prezzo->text(), QString("2,5"));
        QVERIFY(w.Sconto->text().isEmpty());
        QVERIFY(w.Check1->isChecked() && !w.Check2->isChecked());
        QTest::mouseClick(w.Annulla, Qt::LeftButton);
        selezionaCod(w, 3);
        QVERIFY(w.txtValoreReparto->text().isEmpty() && w.Prezzo->text().isEmpty());
        QCOMPARE(w.Sconto->text(), QString("3"));
        QVERIFY(!w.Check1->isChecked() && w.Check2->isChecked() && w.ckPrezzoZero->isChecked());
    }

    // A ticked optional number: one that is not a number is refused by name; an empty box unticks it.
    void optionalNumberIsChecked_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("message");
        QTest::newRow("preset price") << "Prezzo"
                                      << "Formato 'Prezzo Prefissato' non valido";
        QTest::newRow("automatic discount") << "Sconto"
                                            << "Formato 'Sconto Automatico' non valido";
    }
    void optionalNumberIsChecked()
    {
        QFETCH(QString, box);
        QFETCH(QString, message);
        ArchivioProva archivio;
        TestEnv env;
        QVERIFY(Db::exec("UPDATE Reparti SET Iva = 10, Sconto = 0, PrezzoPrefissato = 0 WHERE Cod = 1"));
        RepartiWindow& w = apri(archivio);
        w.Command1_Click(0);
        QCheckBox* spunta = box == "Prezzo" ? w.Check1 : w.Check2;
        QLineEdit* casella = box == "Prezzo" ? w.Prezzo : w.Sconto;
        spunta->setChecked(true);
        casella->setText("x");
        env.clearMessages();
        QTest::mouseClick(w.Conferma, Qt::LeftButton);
        QVERIFY(w.inModifica());
        QCOMPARE(env.messages(), QStringList{message});
        QVERIFY(casella->text().isEmpty());
        QTest::mouseClick(w.Conferma, Qt::LeftButton);
        QVERIFY(!spunta->isChecked());
        QVERIFY(!w.inModifica());
    }

    // "Azzera Reparto" as the user presses it: No keeps the department; Yes writes the neutral
    // values with an empty icon name, which the "Icona" column shows as "Si" (only a Null icon
    // is "No", as the departments a new database brings).
    void reset()
    {
        ArchivioProva archivio;
        TestEnv env;
        QVERIFY(Db::exec("UPDATE Reparti SET Descrizione = 'CARNE', Iva = 10, PrezzoPrefissato = 5, Sconto = 1, "
                         "NoFiscale = 1, PercorsoIcon = '/x', Icon = 'a.png' WHERE Cod = 5"));
        RepartiWindow& w = apri(archivio);
        QCOMPARE(w.ListReparti->item(4, 5)->text(), QString("Si"));
        QCOMPARE(w.ListReparti->item(5, 5)->text(), QString("No"));
        selezionaCod(w, 5);
        env.answer({QMessageBox::No});
        QTest::mouseClick(w.Command1[1], Qt::LeftButton);
        QCOMPARE(col("Descrizione", 5).toString(), QString("CARNE"));
        QCOMPARE(w.ListReparti->item(4, 5)->text(), QString("Si"));
        selezionaCod(w, 5);
        env.answer({QMessageBox::Yes});
        QTest::mouseClick(w.Command1[1], Qt::LeftButton);
        QCOMPARE(env.messages().last(), QString("Tutte le personalizzazioni del reparto verranno rimosse!Continuare?"));
        const auto r = Reparti::leggi(5).valore;
        QCOMPARE(r->descrizione, QString("Reparto5"));
        QVERIFY(r->iva == 0 && r->prezzoPrefissato == 0 && r->sconto == 0 && !r->noFiscale);
        QVERIFY(!col("Icon", 5).isNull() && col("Icon", 5).toString().isEmpty());
        QVERIFY(!col("PercorsoIcon", 5).isNull() && col("PercorsoIcon", 5).toString().isEmpty());
        QCOMPARE(w.ListReparti->item(4, 0)->text(), QString("5"));
        QCOMPARE(w.ListReparti->item(4, 1)->text(), QString("Reparto5"));
        QCOMPARE(w.ListReparti->item(4, 5)->text(), QString("Si"));
        QCOMPARE(w.ListReparti->item(5, 5)->text(), QString("No"));
    }

    // A database of an earlier version holds an empty icon name for every seeded department: once
    // upgraded those show "No", an icon that is set still shows "Si", and a reset after the
    // upgrade shows "Si" as any reset does.
    void seededIconsOfAnOlderDatabase()
    {
        ArchivioProva archivio;
        TestEnv env;
        QVERIFY(Db::exec("UPDATE Reparti SET PercorsoIcon = '', Icon = ''"));
        QVERIFY(Db::exec("UPDATE Reparti SET PercorsoIcon = '/x', Icon = 'a.png' WHERE Cod = 5"));
        QVERIFY(Db::exec("PRAGMA user_version = 6"));
        Db::ChiudiDatabase();
        QVERIFY(Db::ApriDatabase(Paths::databasePath()).ok);
        QCOMPARE(valoreDb("PRAGMA user_version").toInt(), Schema::currentVersion());
        RepartiWindow& w = apri(archivio);
        QCOMPARE(w.ListReparti->item(0, 5)->text(), QString("No"));
        QCOMPARE(w.ListReparti->item(4, 5)->text(), QString("Si"));
        selezionaCod(w, 1);
        env.answer({QMessageBox::Yes});
        QTest::mouseClick(w.Command1[1], Qt::LeftButton);
        QCOMPARE(w.ListReparti->item(0, 5)->text(), QString("Si"));
        QCOMPARE(w.ListReparti->item(1, 5)->text(), QString("No"));
    }

    void icons()
    {
        ArchivioProva archivio;
        TestEnv env;
        QDir(env.home()).mkpath("Icone");
        QDir(env.home()).mkpath("Immagini");
        png(env.path("Icone/pane.png"));
        writeRaw(env.path("Icone/rotta.png"), "not a picture");
        png(env.path("Immagini/nuova.png"));
        QVERIFY(Db::exec("UPDATE Reparti SET PercorsoIcon = '/non/esiste', Icon = 'pane.png' WHERE Cod = 2"));
        QVERIFY(Db::exec("UPDATE Reparti SET PercorsoIcon = '/non/esiste', Icon = 'rotta.png' WHERE Cod = 3"));
        RepartiWindow& w = apri(archivio);

        // Missing from its folder, found in Icone beside the program.
        selezionaCod(w, 2);
        QVERIFY(w.Check3->isChecked());
        QVERIFY(!w.Image1->pixmap().isNull());
        w.Command1_Click(0);
        QCOMPARE(w.EsistenzaFigura->text(), QString("True"));
        w.NomeReparto->setText("PANE");
        w.Conferma_Click();
        QCOMPARE(col("Icon", 2).toString(), QString("pane.png")); // no new picture: the stored icon stays
        QCOMPARE(col("PercorsoIcon", 2).toString(), QString("/non/esiste"));

        // A stored file that is no picture is repaired.
        selezionaCod(w, 3);
        QVERIFY(!w.Check3->isChecked());
        QVERIFY(col("Icon", 3).isNull());
        QCOMPARE(w.Dir1->text(), env.path("Immagini"));

        // A picture chosen in the file list is stored with its folder.
        selezionaCod(w, 4);
        w.Command1_Click(0);
        w.Check3->setChecked(true);
        env.clearMessages();
        QFile::copy(env.path("Icone/rotta.png"), env.path("Immagini/rotta.png"));
        w.File1_Click("rotta.png");
        QCOMPARE(env.messages(), QStringList{"Immagine non valida o file non di immagine!Selezionarne uno nuovo!"});
        QCOMPARE(w.EsistenzaFigura->text(), QString("False"));
        w.File1_Click("nuova.png");
        QCOMPARE(w.EsistenzaFigura->text(), QString("True"));
        w.Conferma_Click();
        QCOMPARE(col("Icon", 4).toString(), QString("nuova.png"));
        QCOMPARE(col("PercorsoIcon", 4).toString(), env.path("Immagini"));

        // Unticked: the icon goes.
        selezionaCod(w, 4);
        w.Command1_Click(0);
        w.Check3->setChecked(false);
        w.Conferma_Click();
        QVERIFY(col("Icon", 4).isNull());
    }

    // A stored file that is no picture whose repair cannot be written: the user is told, the
    // row stays as it was.
    void failedIconRepairIsTold()
    {
        ArchivioProva archivio;
        TestEnv env;
        QDir(env.home()).mkpath("Icone");
        writeRaw(env.path("Icone/rotta.png"), "not a picture");
        QVERIFY(Db::exec("UPDATE Reparti SET PercorsoIcon = '/non/esiste', Icon = 'rotta.png' WHERE Cod = 3"));
        QVERIFY(Db::exec("CREATE TRIGGER ro BEFORE UPDATE ON Reparti BEGIN SELECT RAISE(ABORT, 'read only'); END"));
        RepartiWindow& w = apri(archivio);
        env.clearMessages();
        QCOMPARE(w.ListReparti->item(2, 0)->text(), QString("3"));
        w.ListReparti->setCurrentCell(2, 0); // as the user's click
        QCOMPARE(env.messages(), QStringList{"ATTENZIONE! Aggiornamento dell'icona del reparto non riuscito"});
        QCOMPARE(col("Icon", 3).toString(), QString("rotta.png"));
        QVERIFY(!w.Check3->isChecked());
    }

    void failedSaveStaysInEditMode()
    {
        ArchivioProva archivio;
        TestEnv env;
        QVERIFY(Db::exec("CREATE TRIGGER ro BEFORE UPDATE ON Reparti BEGIN SELECT RAISE(ABORT, 'read only'); END"));
        RepartiWindow& w = apri(archivio);
        w.Command1_Click(0);
        w.NomeReparto->setText("NUOVO");
        w.Iva->setText("4");
        env.clearMessages();
        w.Conferma_Click();
        QVERIFY(w.inModifica());
        QCOMPARE(w.NomeReparto->text(), QString("NUOVO"));
        QCOMPARE(env.messages(), QStringList{"ATTENZIONE! Salvataggio del reparto non riuscito - Verificare i dati"});
    }

    // The table cannot be read under the open window: each read tells it and logs it, and no
    // other department's values are shown for the one chosen.
    void failedReadIsTold()
    {
        ArchivioProva archivio;
        TestEnv env;
        RepartiWindow& w = apri(archivio);
        QCOMPARE(w.NomeReparto->text(), QString("Reparto1"));
        QVERIFY(Db::exec("ALTER TABLE Reparti RENAME TO RepartiAltrove"));
        const QStringList lettura{"ATTENZIONE! Lettura del reparto non riuscita"};
        env.clearMessages();
        w.ListReparti->setCurrentCell(4, 0); // as the user's click
        QCOMPARE(env.messages(), lettura);
        QVERIFY(w.NomeReparto->text().isEmpty());
        env.clearMessages();
        QTest::mouseClick(w.Command1[0], Qt::LeftButton);
        QCOMPARE(env.messages(), lettura);
        QVERIFY(!w.inModifica());
        env.clearMessages();
        env.answer({QMessageBox::Yes});
        QTest::mouseClick(w.Command1[1], Qt::LeftButton); // the reset fails, then the list reloads
        QCOMPARE(env.messages().mid(1), QStringList({"ATTENZIONE! Azzeramento del reparto non riuscito",
                                                     "ATTENZIONE! Lettura dei reparti non riuscita"}));
        QCOMPARE(w.ListReparti->rowCount(), 0);
        QFile log(env.path("Dati/ErrorLog.dat"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("*-Reparti-CaricaReparti-]"));
    }

    void closeSkipsArticleRefresh()
    {
        ArchivioProva archivio;
        TestEnv env;
        RepartiWindow& w = apri(archivio);
        const bool& hidden = archivio.lblTabNascosta;
        QPointer<RepartiWindow> p(&w);
        QTest::mouseClick(w.Uscita, Qt::LeftButton);
        QVERIFY(hidden);
        QVERIFY(app().saltaAggiornamento);
        QTRY_VERIFY(!p);
    }
};

QTEST_MAIN(TestReparti)
#include "tst_reparti.moc"
