// The article window driven as a user would: activation refresh and its skip flag, the list's
// click, double click and refused in-place edit, the search button, the tab switch.
#include "archive/ui/Magazzino.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/VbConvert.h"
#include "core/ui/Finestre.h"
#include "core/ui/Ui.h"
#include "core/ui/frmTastiera.h"
#include "support/FinestraMagazzino.h"
#include "support/TestEnv.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

namespace {

class AltraFinestra : public FormBase
{
    Q_OBJECT
public:
    AltraFinestra() : FormBase(nullptr) {}
};

void articolo(int cod, const QString& descr, const QString& bc, const QString& forn, bool modificato = false,
              const QVariant& tipoVariazione = QStringLiteral("F"))
{
    QString err;
    if (!Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, Fornitore, Costo, "
                                 "Costo2, CodPV, \"Quantità\", Minimo, UnitaMisura, Modificato, TipoVariazione) "
                                 "VALUES (?,?,?,?,20,10,22,3,0,'Pz',?,?)"),
                  {cod, descr, bc, forn, modificato ? 1 : 0, tipoVariazione}, &err))
        qWarning() << err;
}

QString tipoVariazione(int cod)
{
    return valoreDb(QStringLiteral("SELECT TipoVariazione FROM Magazzino WHERE CodMateriale=?"), {cod}).toString();
}

// What the user sees after coming back to the window from `da`.
void torna(Magazzino& w, QWidget* da)
{
    Contesto::finestre().finestraAttivata(da);
    Contesto::finestre().finestraAttivata(&w);
    QTest::qWait(40); // activation runs from the event loop, the reload 1 ms later
}

void clicRiga(Magazzino& w, int row, bool doppio = false)
{
    const QRect r = w.ListMagazzino->visualRect(w.ListMagazzino->lista()->index(row, 1));
    QWidget* vp = w.ListMagazzino->viewport();
    if (doppio) {
        QTest::mouseClick(vp, Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(vp, Qt::LeftButton, {}, r.center());
    } else {
        QTest::mouseClick(vp, Qt::LeftButton, {}, r.center());
    }
}

} // namespace

class TestMagazzino : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadAndActivationRefresh()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Biro blu"), QStringLiteral("8001"), QStringLiteral("Rossi"));
        articolo(2, QStringLiteral("Astuccio"), QStringLiteral("8002"), QStringLiteral("Bianchi"), true);
        articolo(3, QStringLiteral("Colla"), QStringLiteral("8003"), QString());
        Magazzino& w = apriMagazzinoAttivato();
        QCOMPARE(w.ListMagazzino->count(), 3);
        QCOMPARE(w.ListMagazzino->testo(0, 1), QStringLiteral("Astuccio")); // sorted by description
        QCOMPARE(w.ListMagazzino->selectedCode(), QStringLiteral("2"));
        QCOMPARE(w.lblTotVociMaga->text(), QStringLiteral("3"));
        QCOMPARE(w.lblTotArt->text(), QStringLiteral("3"));
        QCOMPARE(w.TotRicorrenze->text(), QStringLiteral("3"));
        QCOMPARE(w.totValore->text(), QStringLiteral("180,000000"));
        QVERIFY(w.Modifica->isEnabled() && w.Elimina->isEnabled());
        QCOMPARE(w.Genere->currentIndex(), -1);
        QCOMPARE(w.Fornitore->count(), 2); // the empty supplier is not offered
        QVERIFY(w.optCerca[2]->isChecked());
        QVERIFY(w.ckModificati->isChecked());
        QVERIFY(w.optTrasf[1]->isChecked()); // the ticked box's handler chose "x INVIO PLU Modificati"
        QCOMPARE(w.dtGiornoRif->date(), QDate::currentDate());
        QCOMPARE(w.MaskDal->text(), Vb::formatDate(QDate::currentDate()));
        QVERIFY(w.frPLUQuidar->isVisible());
        QVERIFY(!w.frVendPLU->isVisible());
        QVERIFY(!app().flagPiruNEX);
        QCOMPARE(LeggiINI(env.setup(), "RegCassa", "PiruNEX", "?"), QStringLiteral("Falso"));
        QVERIFY(w.tmrImporta->isActive()); // the IN-folder poll runs once the window is shown

        // A message box, or another program, in between: nothing reloads.
        articolo(4, QStringLiteral("Dado"), QStringLiteral("8004"), QStringLiteral("Verdi"));
        w.Genere->setCurrentIndex(2);
        w.optCerca[0]->setChecked(true);
        QMessageBox box;
        torna(w, &box);
        QCOMPARE(w.ListMagazzino->count(), 3);
        QCOMPARE(w.Genere->currentIndex(), 2);

        // Back from a modal window that set SaltaAggiornamento: no refresh, but the register key
        // is read again and the flag ends False.
        AltraFinestra altra;
        QVERIFY(ScriviINI(env.setup(), "RegCassa", "PiruNEX", "Vero"));
        app().saltaAggiornamento = true;
        torna(w, &altra);
        QVERIFY(app().flagPiruNEX);
        QVERIFY(!app().saltaAggiornamento);
        QCOMPARE(w.ListMagazzino->count(), 3);
        QCOMPARE(w.Genere->currentIndex(), 2);
        QVERIFY(w.optCerca[0]->isChecked());

        // Back from another of our windows: combos cleared and refilled, search option reset, reload.
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Modificato = 0")));
        torna(w, &altra);
        QTRY_COMPARE(w.ListMagazzino->count(), 4);
        QCOMPARE(w.Genere->currentIndex(), -1);
        QCOMPARE(w.Fornitore->count(), 3);
        QVERIFY(w.optCerca[2]->isChecked());
        QVERIFY(!w.ckModificati->isChecked());
        QVERIFY(w.txtRicBarCode->hasFocus());
    }

    void changedBoxAsksNothingWhenSetByProgram()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Biro"), QStringLiteral("1"), QStringLiteral("Rossi"), true);
        Magazzino& w = Forms::get<Magazzino>();
        QSignalSpy spy(&w, &Magazzino::modificatiCambiato);
        w.Form_Activate();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toBool(), true);
        w.Form_Activate(); // no change, no handler
        QCOMPARE(spy.count(), 1);
        QVERIFY(env.messages().isEmpty());
    }

    void listClickDoubleClickAndEdit()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Alfa"), QStringLiteral("1"), QStringLiteral("Rossi"), false, QStringLiteral("F"));
        articolo(2, QStringLiteral("Beta"), QStringLiteral("2"), QStringLiteral("Rossi"), false, QStringLiteral("F"));
        Magazzino& w = apriMagazzinoAttivato();
        QTRY_COMPARE(w.ListMagazzino->count(), 2);
        app().modoEtichette = QStringLiteral("TOOLBAR");

        // Unticked label box: a click clears the clicked article's mark only.
        clicRiga(w, 1);
        QCOMPARE(w.ListMagazzino->selectedCode(), QStringLiteral("2"));
        QCOMPARE(app().modoEtichette, QStringLiteral("GRIGLIA"));
        QCOMPARE(tipoVariazione(2), QStringLiteral("N"));
        QCOMPARE(tipoVariazione(1), QStringLiteral("F"));
        QVERIFY(w.txtRicBarCode->hasFocus());

        // Ticked: each click toggles.
        w.ckPerFrontalini->setChecked(true);
        clicRiga(w, 0);
        QCOMPARE(tipoVariazione(1), QStringLiteral("N"));
        clicRiga(w, 0);
        QCOMPARE(tipoVariazione(1), QStringLiteral("F"));

        // Double click runs whatever the edit button runs (the editor itself is tested elsewhere).
        QObject::disconnect(w.Modifica, &QPushButton::clicked, nullptr, nullptr);
        QSignalSpy modifica(w.Modifica, &QPushButton::clicked);
        clicRiga(w, 1, true);
        QCOMPARE(modifica.count(), 1);

        // F2 on the list never edits the code; the focus goes to the barcode box.
        w.ListMagazzino->setFocus();
        QTest::keyClick(w.ListMagazzino, Qt::Key_F2);
        QVERIFY(!w.ListMagazzino->isPersistentEditorOpen(w.ListMagazzino->currentIndex()));
        QCOMPARE(w.ListMagazzino->selectedCode(), QStringLiteral("2"));
        QVERIFY(w.txtRicBarCode->hasFocus());
    }

    void searchButtonMarksListedOnly()
    {
        TestEnv env;
        {
            Db::Transaction t;
            for (int i = 1; i <= 1500; ++i)
                articolo(i, QStringLiteral("Art %1").arg(i, 4, 10, QLatin1Char('0')), QString::number(i),
                         QStringLiteral("Rossi"));
            articolo(2000, QStringLiteral("L'Oreal"), QStringLiteral("2000"), QStringLiteral("L'Oreal"));
            QVERIFY(t.commit());
        }
        Magazzino& w = Forms::get<Magazzino>();
        w.optCerca[0]->setChecked(true);
        w.CmdCerca->click(); // nothing typed: the whole archive, marks of the listed rows cleared
        QCOMPARE(w.ListMagazzino->count(), 1000);
        QCOMPARE(w.lblTotVociMaga->text(), QStringLiteral("1501"));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino WHERE TipoVariazione='N'")).toInt(), 1000);

        w.Descrizione->setText(QStringLiteral("l'oreal"));
        w.CmdCerca->click();
        QCOMPARE(w.ListMagazzino->count(), 1);
        QCOMPARE(w.ListMagazzino->testo(0, 7), QStringLiteral("L'Oreal"));

        w.Descrizione->setText(QStringLiteral("%"));
        w.CmdCerca->click();
        QCOMPARE(w.ListMagazzino->count(), 0);
        QCOMPARE(w.lblTotVociMaga->text(), QStringLiteral("0"));
        QCOMPARE(w.totValore->text(), QStringLiteral("0,000000"));
        QCOMPARE(w.lblTotArt->text(), QStringLiteral("0"));
        QCOMPARE(w.ListMagazzino->selectedRow(), -1);
        QVERIFY(!w.Modifica->isEnabled() && !w.Elimina->isEnabled());

        // A load that cannot run: empty list, no rows of nothing.
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Magazzino RENAME TO NonEsiste")));
        w.CaricaMagazzino(ArticleList::Filtro::tutti(), false);
        QCOMPARE(w.ListMagazzino->count(), 0);
        QCOMPARE(w.TotRicorrenze->text(), QStringLiteral("0"));
    }

    void stockButtonsReloadTheList()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Alfa"), QStringLiteral("1"), QStringLiteral("Rossi"));
        articolo(2, QStringLiteral("Beta"), QStringLiteral("2"), QStringLiteral("Rossi"));
        Magazzino& w = apriMagazzinoAttivato();
        w.ListMagazzino->selezionaRiga(1);
        env.answer({QMessageBox::Yes});
        w.Elimina->click();
        QCOMPARE(w.ListMagazzino->count(), 1);
        QCOMPARE(w.ListMagazzino->testo(0, 1), QStringLiteral("Alfa"));

        QTest::keyClicks(w.txtQtaPredef, QStringLiteral("7"));
        w.cmdAggiornaQta->click();
        QCOMPARE(w.ListMagazzino->testo(0, 3), QStringLiteral("7,00"));
        QVERIFY(w.txtRicBarCode->hasFocus());
    }

    void deletedArticlesWindow()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Alfa"), QStringLiteral("1"), QStringLiteral("Rossi"));
        articolo(2, QStringLiteral("Beta"), QStringLiteral("2"), QStringLiteral("Rossi"));
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Eliminato = 1 WHERE CodMateriale = 2")));
        Magazzino& w = apriMagazzinoAttivato();
        QCOMPARE(w.ListMagazzino->count(), 1);
        int listati = -1;
        QTimer::singleShot(50, [&listati] {
            frmEliminati* f = Forms::instance<frmEliminati>();
            QVERIFY(f && f->isVisible());
            listati = f->lstEliminati->count();
            QCOMPARE(f->lstEliminati->testo(0, 1), QStringLiteral("Beta"));
            f->cmdRipristina->click();
            QCOMPARE(f->lstEliminati->count(), 0);
            QVERIFY(!f->cmdRipristina->isEnabled());
            f->cmdChiudi->click();
        });
        w.Recupera->click(); // returns when the window closes
        QCOMPARE(listati, 1);
        QCOMPARE(w.ListMagazzino->count(), 2);
        QCOMPARE(valoreDb(QStringLiteral("SELECT Modificato FROM Magazzino WHERE CodMateriale = 2")).toInt(), 1);
    }

    void tabSwitch()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"), QStringLiteral("Rossi"));
        const QString oggi = Vb::isoDate(QDate::currentDate());
        QString err;
        QVERIFY2(Db::exec(QStringLiteral("INSERT INTO StoricoPLU (EAN, Qta, DataModif) VALUES ('8001', 2, ?), "
                                         "('8001', 3, ?)"),
                          {oggi, oggi}, &err),
                 qPrintable(err));
        Magazzino& w = apriMagazzinoAttivato();
        QTRY_COMPARE(w.ListMagazzino->count(), 1);
        w.tbTAB->setCurrentIndex(1);
        QVERIFY(!w.ListMagazzino->isVisible());
        QVERIFY(w.frVendPLU->isVisible());
        QCOMPARE(w.lstPLU->count(), 1);
        QCOMPARE(w.lstPLU->testo(0, 1), QStringLiteral("8001"));
        QCOMPARE(w.lstPLU->testo(0, 3), QStringLiteral("5"));
        QCOMPARE(w.lblTotMovimentati->text(), QStringLiteral("1"));
        QVERIFY(w.lstPLU->isColumnHidden(0));
        // The columns were set while the tab was hidden: "Descrizione" has the width the shown
        // list calls for, not the one of a list never laid out.
        const double dpi = w.screen()->logicalDotsPerInch();
        const int larghezza = int(w.lstPLU->width() * 1440.0 / dpi);
        QCOMPARE(w.lstPLU->columnWidth(1), twips(2000));
        QCOMPARE(w.lstPLU->columnWidth(2), twips(Magazzino::larghezzaDescrizionePLU(larghezza)));
        QCOMPARE(w.lstPLU->columnWidth(3), twips(1500));
        w.tbTAB->setCurrentIndex(0);
        QVERIFY(w.ListMagazzino->isVisible());
        QVERIFY(!w.frVendPLU->isVisible());
    }

    // A press in "Qta predef" opens the on-screen keyboard, whose Invio fills the box.
    void quantityBoxOpensTheKeyboard()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"), QStringLiteral("Rossi"));
        Magazzino& w = apriMagazzinoAttivato();
        bool aperta = false;
        auto* poll = new QTimer(&w);
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, &w, [&aperta, poll] {
            frmTastiera* k = Forms::instance<frmTastiera>();
            if (!k || !k->isVisible())
                return;
            poll->stop();
            aperta = true;
            QCOMPARE(k->tipo(), 1);
            QTest::mouseClick(k->ssNumeri[4], Qt::LeftButton);
            QTest::mouseClick(k->ssNumeri[2], Qt::LeftButton);
            QTest::mouseClick(k->ssInvio, Qt::LeftButton);
        });
        poll->start();
        QTimer::singleShot(5000, &w, [] {
            if (frmTastiera* k = Forms::instance<frmTastiera>())
                k->unload();
        });
        QTest::mouseClick(w.txtQtaPredef, Qt::LeftButton);
        QTRY_VERIFY(aperta);
        QTRY_COMPARE(w.txtQtaPredef->text(), QStringLiteral("42"));
        QVERIFY(!Forms::isLoaded<frmTastiera>());
    }

    void soldColumnWidth_data()
    {
        QTest::addColumn<int>("larghezza");
        QTest::addColumn<int>("descrizione");
        QTest::newRow("8999") << 8999 << 5250;
        QTest::newRow("9000") << 9000 << 7900;
        QTest::newRow("11549") << 11549 << 7900;
        QTest::newRow("11550") << 11550 << 10500;
    }

    void soldColumnWidth()
    {
        QFETCH(int, larghezza);
        QFETCH(int, descrizione);
        QCOMPARE(Magazzino::larghezzaDescrizionePLU(larghezza), descrizione);
    }

    void windowStaysMaximisedAndStatusBox()
    {
        TestEnv env;
        Magazzino& w = apriMagazzinoAttivato();
        QTRY_VERIFY(w.isMaximized());
        w.showNormal();
        QTRY_VERIFY(w.isMaximized());

        w.lblTab->setText(QStringLiteral("INIZIANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE"));
        w.lblTab->show();
        QTest::mouseDClick(w.lblTab, Qt::LeftButton);
        QVERIFY(!w.lblTab->isVisible());
        QVERIFY(w.lblTab->text().isEmpty());

        // "&Tutti" clears the criteria and lists everything.
        articolo(1, QStringLiteral("Biro"), QStringLiteral("8001"), QStringLiteral("Rossi"));
        w.CaricaCboGeneri();
        w.Genere->setCurrentIndex(3);
        w.Descrizione->setText(QStringLiteral("xyz"));
        w.ckPerFrontalini->setChecked(true); // ticked: nothing is asked
        w.Command7->click();
        QCOMPARE(w.Genere->currentIndex(), -1);
        QVERIFY(w.Descrizione->text().isEmpty());
        QCOMPARE(w.ListMagazzino->count(), 1);
        QVERIFY(env.messages().isEmpty());

        w.CmdUscita->click();
        QTRY_VERIFY(!Forms::isLoaded<Magazzino>());
    }
};

QTEST_MAIN(TestMagazzino)
#include "tst_magazzino.moc"
