// The settings window: what it loads, what Apply writes, and when it lets itself be closed.
#include "core/Contesto.h"
#include "core/IniFile.h"
#include "core/ui/Finestre.h"
#include "core/ui/FormBase.h"
#include "core/ui/frmSetupCassa.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

void writeSetup(const QString& path, const QByteArray& body)
{
    writeRaw(path, QByteArray(body).replace("\n", "\r\n"));
}

// Every "section/key" of the file, in file order.
QStringList keysOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    QString section;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            section = line.mid(1, line.indexOf(QLatin1Char(']')) - 1);
        else if (line.contains(QLatin1Char('=')))
            out << section + QLatin1Char('/') + line.left(line.indexOf(QLatin1Char('=')));
    }
    return out;
}

QString ini(const QString& section, const QString& key)
{
    return LeggiINI(app().percorsoSetup, section, key, QStringLiteral("?"));
}

// Loads, shows and activates the window, as the toolbar button would.
frmSetupCassa& openWindow()
{
    frmSetupCassa& w = Forms::get<frmSetupCassa>();
    w.show();
    Contesto::finestre().finestraAttivata(&w);
    (void)QTest::qWaitFor([&w] { return !w.CmdApplica->isEnabled(); }, 2000);
    return w;
}

} // namespace

class TestSetupCassa : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadFillsEveryControl()
    {
        TestEnv env(false);
        app().metodoAcquisizione = 2;
        writeSetup(env.setup(), "[RegCassa]\nPortaCOM=3\nPortaCOM1=\nPortaCOM2=300\nVelocitaCOM=12345\n"
                                "BitDatiCOM=7\nParitaDatiCOM=pari\nBitStopDatiCOM=1,5\nFlussoDatiCOM=Hardware\n"
                                "PortaETH1=192.168.1\nPiruNEX=no\n[Cartelle]\nIN=/srv/in\nOUT=?\n"
                                "[DatabaseEsterno]\nQuale=/x/negozio.mdb\n[STdiSISTEMA]\nPredefinita=Ufficio\n");
        frmSetupCassa& w = Forms::get<frmSetupCassa>();
        QVERIFY(w.CmdApplica->isEnabled()); // the fill ran the change handlers
        QCOMPARE(w.cbPortaComCassa->currentText(), QString("3"));
        QCOMPARE(w.cbPortaComCassa1->currentIndex(), -1);
        // Values outside the lists are shown as added items and do not stop the later boxes.
        QCOMPARE(w.cbPortaComCassa2->currentText(), QString("300"));
        QCOMPARE(w.cbVelocitaComCassa->currentText(), QString("12345"));
        QCOMPARE(w.cbBitDatiComCassa->currentText(), QString("7"));
        QCOMPARE(w.cbParitaComCassa->currentText(), QString("Pari"));
        QCOMPARE(w.cbBitStopComCassa->currentText(), QString("1,5"));
        QCOMPARE(w.cbFlussoComCassa->currentText(), QString("Hardware"));
        QCOMPARE(w.txtIP[0]->text() + "|" + w.txtIP[1]->text() + "|" + w.txtIP[2]->text() + "|" + w.txtIP[3]->text(),
                 QString("192|168|1|"));
        QCOMPARE(w.txtInterscambioIN->text(), QString("/srv/in"));
        QCOMPARE(w.txtInterscambioOUT->text(), QString());
        QCOMPARE(w.txtDatabaseEsterno->text(), QString("/x/negozio.mdb"));
        QCOMPARE(w.txtNomeAttivita->text(), QString("MiaAttività"));
        QVERIFY(w.ckTipoST->isChecked()); // only "FALSO" is off
        QVERIFY(!w.ckPrendiPLU[0]->isChecked() && w.ckPrendiPLU[1]->isChecked());
        QCOMPARE(ini("Acquisizione", "Metodo"), QString("2")); // from the shared method, at once
        QCOMPARE(w.txtStA4->text(), QString("Ufficio"));
        QCOMPARE(w.txtStFR->text(), QString());
        QCOMPARE(app().impostazioniRegCassa.portaCOM, QString("3"));

        Contesto::finestre().finestraAttivata(&w);
        QTRY_VERIFY(!w.CmdApplica->isEnabled());
    }

    void changesEnableApply_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("port list") << 0;
        QTest::newRow("line list") << 1;
        QTest::newRow("acquisition box") << 2;
        QTest::newRow("shop name") << 3;
        QTest::newRow("letter in an address box") << 4;
    }
    void changesEnableApply()
    {
        QFETCH(int, which);
        TestEnv env(false);
        frmSetupCassa& w = openWindow();
        QTRY_VERIFY(!w.CmdApplica->isEnabled());
        switch (which) {
        case 0:
            w.cbPortaComCassa1->setCurrentIndex(5);
            break;
        case 1:
            w.cbParitaComCassa->setCurrentIndex(0);
            break;
        case 2:
            w.ckPrendiPLU[1]->setChecked(!w.ckPrendiPLU[1]->isChecked());
            break;
        case 3:
            QTest::keyClicks(w.txtNomeAttivita, "x");
            break;
        case 4:
            QTest::keyClicks(w.txtIP[0], "a");
            QCOMPARE(w.txtIP[0]->text(), QString()); // dropped
            break;
        }
        QVERIFY(w.CmdApplica->isEnabled());
    }

    void applyWritesTheSaveTable()
    {
        TestEnv env(false);
        app().metodoAcquisizione = 1;
        app().coloreSfondo = kColoreButtonFace;
        frmSetupCassa& w = openWindow();
        w.cbPortaComCassa->setCurrentText("4");
        w.cbBitStopComCassa->setCurrentText("2");
        QTest::keyClicks(w.txtIP[0], "10");
        QTest::keyClicks(w.txtIP[1], "0x,");
        QTest::keyClicks(w.txtIP[2], "0");
        QTest::keyClicks(w.txtIP[3], "1");
        w.txtInterscambioIN->setText("/dati/in");
        w.txtNomeAttivita->clear();
        QVERIFY(QFile::remove(env.setup())); // only the save's own writes remain
        QTest::mouseClick(w.CmdApplica, Qt::LeftButton);
        QVERIFY(!w.CmdApplica->isEnabled());
        QCOMPARE(keysOf(env.setup()),
                 QStringList({"RegCassa/PortaCOM", "RegCassa/PortaCOM1", "RegCassa/PortaCOM2", "RegCassa/VelocitaCOM",
                              "RegCassa/BitDatiCOM", "RegCassa/ParitaDatiCOM", "RegCassa/BitStopDatiCOM",
                              "RegCassa/FlussoDatiCOM", "RegCassa/Modello", "RegCassa/PortaETH1", "Cartelle/IN",
                              "Cartelle/OUT", "Acquisizione/Metodo", "Etichetta/NomeAttivita", "DatabaseEsterno/Quale",
                              "InterfacciaUtente/Colore", "InterfacciaUtente/ImgSfondo"}));
        QCOMPARE(ini("RegCassa", "PortaCOM"), QString("4"));
        QCOMPARE(ini("RegCassa", "PortaCOM1"), QString());
        QCOMPARE(ini("RegCassa", "VelocitaCOM"), QString("9600"));
        QCOMPARE(ini("RegCassa", "BitStopDatiCOM"), QString("2"));
        QCOMPARE(ini("RegCassa", "Modello"), QString("QUIDAR"));
        QCOMPARE(ini("RegCassa", "PortaETH1"), QString("10.0.0.1"));
        QCOMPARE(ini("Cartelle", "IN"), QString("/dati/in"));
        QCOMPARE(ini("Acquisizione", "Metodo"), QString("1"));
        QCOMPARE(ini("Etichetta", "NomeAttivita"), QString("MiaAttività"));
        QCOMPARE(ini("InterfacciaUtente", "Colore"), QString("-2147483633")); // the button face, as a Long
        QCOMPARE(ini("InterfacciaUtente", "ImgSfondo"), QString("?"));
        // The shared settings follow at once, the address included.
        QCOMPARE(app().impostazioniRegCassa.portaCOM, QString("4"));
        QCOMPARE(app().impostazioniRegCassa.linea.bitStop, QString("2"));
        QCOMPARE(app().portaETH1, QString("10.0.0.1"));
    }

    void addressBoxes_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shared");
        QTest::newRow("all empty") << QStringList{"", "", "", ""} << QString("?") << QString();
        QTest::newRow("full") << QStringList{"192", "168", "0", "7"} << QString("192.168.0.7")
                              << QString("192.168.0.7");
        QTest::newRow("letters dropped") << QStringList{"1a9", "b7", "2.", "-3"} << QString("19.7.2.3")
                                         << QString("19.7.2.3");
    }
    void addressBoxes()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, stored);
        QFETCH(QString, shared);
        TestEnv env(false);
        writeSetup(env.setup(), "[RegCassa]\nPortaETH1=1.2.3.4\n");
        app().portaETH1 = "1.2.3.4";
        frmSetupCassa& w = openWindow();
        for (int i = 0; i < 4; ++i) {
            w.txtIP[i]->clear();
            QTest::keyClicks(w.txtIP[i], typed[i]);
        }
        QVERIFY(w.CmdApplica_Click());
        QCOMPARE(ini("RegCassa", "PortaETH1"), stored);
        QCOMPARE(app().portaETH1, shared);
    }

    // What the digit filter would have refused, pasted past it, is refused by Apply: the stored
    // address stays, the window stays open with the bad box focused.
    void addressRefusedOnApply_data()
    {
        QTest::addColumn<QStringList>("pasted");
        QTest::addColumn<int>("bad");
        QTest::newRow("above 255") << QStringList{"192", "168", "1", "300"} << 3;
        QTest::newRow("letters") << QStringList{"a", "b", "168", "1"} << 0;
        QTest::newRow("partly filled") << QStringList{"192", "168", "", ""} << 2;
        QTest::newRow("sign") << QStringList{"192", "-1", "0", "1"} << 1;
    }
    void addressRefusedOnApply()
    {
        QFETCH(QStringList, pasted);
        QFETCH(int, bad);
        TestEnv env(false);
        writeSetup(env.setup(), "[RegCassa]\nPortaETH1=1.2.3.4\n");
        app().portaETH1 = "1.2.3.4";
        frmSetupCassa& w = openWindow();
        for (int i = 0; i < 4; ++i) {
            w.txtIP[i]->selectAll();
            w.txtIP[i]->insert(pasted[i]); // a paste: no key goes through the filter
        }
        w.CmdApplica->setEnabled(true);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        env.clearMessages();
        QTest::mouseClick(w.CmdApplica, Qt::LeftButton);
        QCOMPARE(env.messages().size(), 1);
        QVERIFY(env.messages().first().startsWith("Indirizzo IP non valido"));
        QVERIFY(w.CmdApplica->isEnabled());
        QCOMPARE(QApplication::focusWidget(), w.txtIP[bad]);
        QCOMPARE(ini("RegCassa", "PortaETH1"), QString("1.2.3.4"));
        QCOMPARE(app().portaETH1, QString("1.2.3.4"));
    }

    void acquisitionMethodChoice()
    {
        TestEnv env(false);
        frmSetupCassa& w = openWindow();
        w.ckPrendiPLU[0]->setChecked(true);
        w.ckPrendiPLU[1]->setChecked(true);
        QVERIFY(QFile::remove(env.setup()));
        QVERIFY(!w.CmdApplica_Click());
        QCOMPARE(env.messages().last(), QString("Effettuare una sola selezione per il metodo di acquisizione PLU"));
        QVERIFY(!QFile::exists(env.setup()));
        QVERIFY(w.CmdApplica->isEnabled());

        w.ckPrendiPLU[0]->setChecked(false);
        w.ckPrendiPLU[1]->setChecked(false);
        QVERIFY(w.CmdApplica_Click());
        QCOMPARE(ini("Acquisizione", "Metodo"), QString("1"));
        QCOMPARE(app().metodoAcquisizione, 1);
    }

    void registerModelWrittenAtOnce()
    {
        TestEnv env(false);
        frmSetupCassa& w = openWindow();
        QCOMPARE(ini("RegCassa", "PiruNEX"), QString("?")); // a missing key loads as off, nothing to write
        w.ckTipoST->click();
        QCOMPARE(ini("RegCassa", "PiruNEX"), QString("Vero"));
        w.ckTipoST->click();
        QCOMPARE(ini("RegCassa", "PiruNEX"), QString("Falso"));
        w.ckTipoST->click();
        env.answer({QMessageBox::No});
        w.Command1_Click();
        QVERIFY(!Forms::isLoaded<frmSetupCassa>());
        QCOMPARE(ini("RegCassa", "PiruNEX"), QString("Vero"));
        QCOMPARE(ini("RegCassa", "PortaCOM"), QString("?")); // not saved
    }

    void closing()
    {
        TestEnv env(false);
        frmSetupCassa* w = &openWindow();
        QVERIFY(!w->close()); // the title bar
        QVERIFY(w->isVisible());
        w->Command1_Click(); // nothing changed: no question
        QVERIFY(env.messages().isEmpty());
        QVERIFY(!Forms::isLoaded<frmSetupCassa>());

        w = &openWindow();
        w->cbPortaComCassa->setCurrentText("9");
        env.answer({QMessageBox::Yes});
        w->Command1_Click();
        QCOMPARE(env.messages().last(), QString("Le nuove impostazioni non sono state salvate!!! Salvare ora?"));
        QVERIFY(!Forms::isLoaded<frmSetupCassa>());
        QCOMPARE(ini("RegCassa", "PortaCOM"), QString("9"));
    }

    void refusedOrFailedSaveKeepsWindowOpen()
    {
        TestEnv env(false);
        frmSetupCassa& w = openWindow();
        w.ckPrendiPLU[0]->setChecked(true);
        w.ckPrendiPLU[1]->setChecked(true);
        env.answer({QMessageBox::Yes});
        w.Command1_Click();
        QVERIFY(Forms::isLoaded<frmSetupCassa>() && w.isVisible());

        w.ckPrendiPLU[1]->setChecked(false);
        app().percorsoSetup = env.path("manca/Setup.ini");
        env.clearMessages();
        QVERIFY(!w.CmdApplica_Click());
        QVERIFY(env.messages().last().startsWith("Impossibile salvare le impostazioni"));
        QVERIFY(w.CmdApplica->isEnabled());
        env.answer({QMessageBox::Yes});
        w.Command1_Click();
        QVERIFY(Forms::isLoaded<frmSetupCassa>() && w.isVisible());
        QCOMPARE(app().impostazioniRegCassa.portaCOM, QString()); // shared state not changed either
    }

    void folderAndDatabaseButtons_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        const Riga<QString, QString> riga;
        riga("drive root", "D:\\", "D:");
        riga("short linux path", "/mn", "/mn");
        riga("cancelled", "", "");
    }
    void folderAndDatabaseButtons()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, shown);
        TestEnv env(false);
        writeSetup(env.setup(), "[Cartelle]\nIN=/vecchia\nOUT=/vecchia\n[DatabaseEsterno]\nQuale=/v.mdb\n");
        frmSetupCassa& w = openWindow();
        env.interazione().paths << chosen << chosen << chosen;
        QTest::mouseClick(w.cmdCartellaIN, Qt::LeftButton);
        QCOMPARE(w.txtInterscambioIN->text(), shown);
        QVERIFY(w.CmdApplica->isEnabled());
        QTest::mouseClick(w.cmdCartellaOUT, Qt::LeftButton);
        QCOMPARE(w.txtInterscambioOUT->text(), shown);
        QTest::mouseClick(w.cmdSelezionaDBEsterno, Qt::LeftButton);
        QCOMPARE(w.txtDatabaseEsterno->text(), chosen);
        QCOMPARE(env.interazione().prompts,
                 QStringList({"Seleziona la cartella per i dati in ingresso",
                              "Seleziona la cartella per i dati in uscita", "Seleziona il Database da collegare"}));
        QCOMPARE(env.interazione().filtersSeen, QList<QStringList>{{"Microsoft Excel files (*.mdb *.MDB)"}});
    }

    void colourAndPicture()
    {
        TestEnv env(false);
        QCOMPARE(frmSetupCassa::filtroQt("File bitmap (*.bmp)|*.BMP;*.DIB|File Jpeg (*.Jpg | *.JPG"),
                 QString("File bitmap (*.BMP *.bmp *.DIB *.dib);;File Jpeg (*.JPG *.jpg)"));
        const QString png = env.path("sfondo.png");
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(Qt::blue);
        QVERIFY(img.save(png));
        frmSetupCassa& w = openWindow();

        w.CmdColore_Click(); // cancelled
        QVERIFY(!w.CmdApplica->isEnabled());
        app().immagineSfondo = "/vecchia.png";
        w.cmdCambiaSfondo_Click(); // cancelled: no picture, nothing to save
        QCOMPARE(app().immagineSfondo, QString());
        QVERIFY(!w.CmdApplica->isEnabled());

        env.interazione().colours << QColor(255, 128, 0);
        w.CmdColore_Click();
        env.interazione().paths << png;
        w.cmdCambiaSfondo_Click();
        QCOMPARE(app().immagineSfondo, png);
        QVERIFY(!w.imgSfondo->pixmap().isNull());
        // Coming back from another of our windows keeps the unsaved choices.
        FormBase other;
        Contesto::finestre().finestraAttivata(&other);
        Contesto::finestre().finestraAttivata(&w);
        QTest::qWait(5);
        QVERIFY(w.CmdApplica_Click());
        QCOMPARE(ini("InterfacciaUtente", "Colore"), QString::number(0x0080FF));
        QCOMPARE(ini("InterfacciaUtente", "ImgSfondo"), png);
        QCOMPARE(app().coloreSfondo, VbColor(0x0080FF));
    }
};

QTEST_MAIN(TestSetupCassa)
#include "tst_setupcassa.moc"
