// The import window through its real buttons, with a scripted interaction: the checks and their
// messages in order, the defaults, the separator, the cancelled dialog, a whole import, closing
// the window while an engine runs, and the technician's password gate.
#include "Fixtures.h"
#include "archive/DataBackup.h"
#include "archive/ui/Magazzino.h"
#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/ui/frmPswd.h"
#include "import/Cartella.h"
#include "import/ui/frmImporta.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {
struct Elenco final : ElencoArticoli
{
    int ricariche = 0;
    void ricarica() override { ++ricariche; }
};

void scegli(QComboBox* c, const QString& t)
{
    c->setCurrentIndex(c->findText(t));
}

// A click on the option's round mark, where a user presses it.
void premi(QRadioButton* o)
{
    QTest::mouseClick(o, Qt::LeftButton, {}, QPoint(7, o->height() / 2));
}

void nessunSeparatore(frmImporta& w)
{
    for (QRadioButton* o : w.optSeparatore) {
        o->setAutoExclusive(false);
        o->setChecked(false);
        o->setAutoExclusive(true);
    }
}
} // namespace

class TstFrmImporta : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestEnv> m_env;
    ScriptedInteraction& ui() { return m_env->interazione(); }
    Elenco elenco;

    frmImporta& finestra()
    {
        frmImporta& w = *frmImporta::apri(ui(), elenco);
        w.showModeless();
        if (!QTest::qWaitForWindowExposed(&w))
            qWarning("window not exposed");
        return w;
    }
    QString file(const QString& nome = QStringLiteral("l.txt"))
    {
        const QString p = m_env->path(nome);
        if (!QFile::exists(p))
            scriviTesto(p, {QStringLiteral("a;b;c;800;Pane;1;x;y;z;1,20;q;5")});
        return p;
    }
    // Presses "&Procedi" on `path` and returns what was asked after the file dialog.
    QStringList procedi(frmImporta& w, const QString& path)
    {
        ui().asked.clear();
        ui().paths.enqueue(path);
        QTest::mouseClick(w.cmdProcedi, Qt::LeftButton);
        return ui().asked.mid(1);
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        elenco = Elenco();
        Articolo a;
        a.descrizione = QStringLiteral("x");
        a.fornitore = QStringLiteral("Rossi");
        QVERIFY(Articoli::inserisci(a));
    }
    void cleanup() { m_env.reset(); }

    // The suppliers come from the archive; ";" is the separator at first; the window fits 1024x768.
    void aperturaEDimensioni()
    {
        frmImporta& w = finestra();
        QCOMPARE(w.cbFornitore->count(), 2);
        QCOMPARE(w.cbFornitore->itemText(1), QStringLiteral("Rossi"));
        QVERIFY(w.optSeparatore[1]->isChecked());
        QCOMPARE(w.Separatore(), QStringLiteral(";"));
        QVERIFY(w.frameGeometry().width() <= 1024 && w.frameGeometry().height() <= 768);
    }

    void separatoreEPredefiniti()
    {
        frmImporta& w = finestra();
        premi(w.optSeparatore[2]);
        QCOMPARE(w.Separatore(), QStringLiteral(","));
        premi(w.optSeparatore[4]); // "Poseidon 35" keeps it
        QCOMPARE(w.Separatore(), QStringLiteral(","));
        premi(w.optSeparatore[5]);
        QCOMPARE(w.Separatore(), QStringLiteral("!"));

        QTest::mouseClick(w.cmdValPredef, Qt::LeftButton);
        QCOMPARE(w.cbPDes->currentText(), QStringLiteral("5"));
        QCOMPARE(w.cbPQta->currentText(), QStringLiteral("12"));
        QCOMPARE(w.cbPBC->currentText(), QStringLiteral("4"));
        QCOMPARE(w.cbPRep->currentText(), QStringLiteral("6"));
        QCOMPARE(w.cbPPV->currentText(), QStringLiteral("10"));
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QCOMPARE(w.cbPDes->currentText(), QStringLiteral("4"));
        QCOMPARE(w.cbPQta->currentText(), QString());
        QCOMPARE(w.cbPBC->currentText(), QStringLiteral("9"));
        QCOMPARE(w.cbPRep->currentText(), QStringLiteral("6"));
        QCOMPARE(w.cbPPV->currentText(), QStringLiteral("7"));
        QCOMPARE(w.cbPACQ->currentText(), QStringLiteral("14"));
        QCOMPARE(w.cbIVA->currentText(), QStringLiteral("8"));
        QCOMPARE(w.cbCFOR->currentText(), QStringLiteral("15"));
        QCOMPARE(w.cbFOR->currentText(), QStringLiteral("17"));
    }

    void dialogoAnnullato()
    {
        frmImporta& w = finestra();
        premi(w.optSeparatore[0]);
        ui().asked.clear();
        QTest::mouseClick(w.cmdProcedi, Qt::LeftButton); // no path queued: cancelled
        QCOMPARE(ui().asked, (QStringList{QStringLiteral("Apri file con i PLU da caricare"),
                                          QStringLiteral("Operazione annullata dall'Utente")}));
        QCOMPARE(ui().filtersSeen.last(),
                 (QStringList{QStringLiteral("File di testo (*.txt)"), QStringLiteral("File di Excel (*.xls)"),
                              QStringLiteral("File di testo (*.old)"), QStringLiteral("File di Excel (*.xlsx)")}));
        QCOMPARE(procedi(w, m_env->path(QStringLiteral("non-esiste.txt"))),
                 QStringList{QStringLiteral("Operazione annullata dall'Utente")});
        // The dialog and the message do not reset the separator.
        QVERIFY(w.optSeparatore[0]->isChecked());
        QCOMPARE(w.Separatore(), QStringLiteral("/"));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 1);
    }

    void sceltaCartella()
    {
        frmImporta& w = finestra();
        ui().paths.enqueue(QStringLiteral("C:\\"));
        QCOMPARE(w.SceltaPerc(QStringLiteral("Listini")), QStringLiteral("C:"));
        QCOMPARE(ui().asked.last(), QStringLiteral("Seleziona la cartella contenente i DATI AGGIORNATI - Listini"));
        ui().paths.enqueue(QStringLiteral("/mn"));
        QCOMPARE(w.SceltaPerc(QString()), QStringLiteral("/mn"));
        QCOMPARE(w.SceltaPerc(QString()), QString()); // cancelled
    }

    void controlliTestoInOrdine()
    {
        frmImporta& w = finestra();
        const QString t = QStringLiteral("Operazione terminata");
        nessunSeparatore(w);
        QCOMPARE(procedi(w, file()), (QStringList{QStringLiteral("Separatore NON selezionato"), t}));
        premi(w.optSeparatore[4]);
        premi(w.optSeparatore[1]);
        const QList<std::pair<QComboBox*, QString>> passi = {
            {w.cbPBC, QStringLiteral("Posizione del barcode non impostata")},
            {w.cbPQta, QStringLiteral("Posizione della quantità non impostata")},
            {w.cbPRep, QStringLiteral("Posizione del reparto non impostata")},
            {w.cbPPV, QStringLiteral("Posizione del prezzo di vendita non impostata")},
            {w.cbPDes, QStringLiteral("Posizione della descrizione non impostata")}};
        int n = 1;
        for (const auto& [combo, msg] : passi) {
            QCOMPARE(procedi(w, file()), (QStringList{msg, t}));
            scegli(combo, QString::number(n++));
        }
        scegli(w.cbPDes, QStringLiteral("1"));
        QCOMPARE(procedi(w, file()), (QStringList{QStringLiteral("Valori di colonna replicati - Controllare"), t}));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 1);
        QVERIFY(w.isVisible()); // a refused check keeps the window and its settings
    }

    void controlliFoglioInOrdine()
    {
        frmImporta& w = finestra();
        const QString t = QStringLiteral("Operazione terminata");
        w.ckFileExcel->setChecked(true);
        const QList<std::pair<QComboBox*, QString>> passi = {
            {w.cbPBC, QStringLiteral("Posizione del barcode non impostata")},
            {w.cbPRep, QStringLiteral("Posizione del reparto non impostata")},
            {w.cbPPV, QStringLiteral("Posizione del prezzo di vendita non impostata")},
            {w.cbPDes, QStringLiteral("Posizione della descrizione non impostata")},
            {w.cbPACQ, QStringLiteral("Posizione del Prezzo di Acquisto non impostata")},
            {w.cbIVA, QStringLiteral("Posizione del valore IVA non impostata")},
            {w.cbCFOR, QStringLiteral("Posizione del codice Prodotto per il Fornitore non impostata")},
            {w.cbFOR, QStringLiteral("Posizione del Fornitore non impostata")}};
        int n = 1;
        for (const auto& [combo, msg] : passi) {
            QCOMPARE(procedi(w, file()), (QStringList{msg, t}));
            scegli(combo, QString::number(n++));
        }
        scegli(w.cbPQta, QStringLiteral("3"));
        QCOMPARE(procedi(w, file()), (QStringList{QStringLiteral("Valori di colonna replicati - Controllare"), t}));
        // Quantity empty passes the check; the text file is no workbook, and the message says so.
        w.cbPQta->setCurrentIndex(0);
        QString motivo;
        QVERIFY(!apriCartella(file(), &motivo));
        const QString nonCartella = QStringLiteral("Impossibile eseguire l'importazione\n") + motivo;
        QCOMPARE(procedi(w, file()), (QStringList{nonCartella, t}));
        // A supplier with the switch on: no column check at all.
        w.cbFornitore->setCurrentText(QStringLiteral("Rossi"));
        w.cbPBC->setCurrentIndex(0);
        QCOMPARE(procedi(w, file()), (QStringList{nonCartella, t}));
    }

    void importazioneCompleta()
    {
        frmImporta& w = finestra();
        QPointer<frmImporta> p(&w);
        QTest::mouseClick(w.cmdValPredef, Qt::LeftButton);
        QString stato;
        QTimer osserva;
        connect(&osserva, &QTimer::timeout, this, [&] {
            if (p && !p->lblTab->text().isEmpty())
                stato = p->lblTab->text();
        });
        osserva.start(1);
        const QString copia = Listini::cartellaCopiaArchivio();
        QCOMPARE(QFileInfo(copia).absoluteFilePath(),
                 QFileInfo(m_env->path(QStringLiteral("Dati/PrimaImportazione"))).absoluteFilePath());
        QCOMPARE(procedi(w, file()),
                 QStringList{QStringLiteral("Operazione terminata\nRighe lette: 1, saltate: 0\n"
                                            "L'archivio di prima è salvato in: ") +
                             QDir::toNativeSeparators(copia) +
                             QStringLiteral("\nPer riaverlo: \"Cambia Dati\" e scegliere questa cartella")});
        QCOMPARE(stato, QStringLiteral("Importazione Dati PLU - Terminata"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!p);
        QCOMPARE(elenco.ricariche, 1);
        const auto a = Articoli::perCodice(1);
        QCOMPARE(a.valore->barCode, QStringLiteral("800"));
        QCOMPARE(*a.valore->costo, 1.2);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 1);
    }

    // An .xls price list as LibreOffice writes it: formula prices and descriptions arrive with
    // their results, and the closing message counts the rows (a row of empty texts is none).
    void listinoXlsDiLibreOffice()
    {
        frmImporta& w = finestra();
        w.ckFileExcel->setChecked(true);
        int n = 1;
        for (QComboBox* c : {w.cbPDes, w.cbPQta, w.cbPBC, w.cbPRep, w.cbPPV, w.cbPACQ, w.cbIVA, w.cbCFOR, w.cbFOR})
            scegli(c, QString::number(n++));
        QCOMPARE(procedi(w, QStringLiteral(TAVRINO_FILE_XLS "/listino-libreoffice.xls")),
                 QStringList{QStringLiteral("Operazione terminata\nRighe lette: 5, saltate: 0")});
        QCOMPARE(valoreDb(QStringLiteral("SELECT Costo FROM Magazzino WHERE BarCode = '8001234567890'")).toDouble(),
                 6.3);
        QCOMPARE(
            valoreDb(QStringLiteral("SELECT Descrizione FROM Magazzino WHERE BarCode = '8001234567906'")).toString(),
            QStringLiteral("Pasta di semola 500 g"));
    }

    // Its first sheet holds a price whose formula gives #DIV/0!: a supplier import stops there,
    // the message names the cell, nothing is written and the window stays.
    void listinoXlsConErrore()
    {
        frmImporta& w = finestra();
        w.ckFileExcel->setChecked(true);
        w.cbFornitore->setCurrentText(QStringLiteral("Rossi"));
        const QString prima = fotografia();
        QCOMPARE(procedi(w, QStringLiteral(TAVRINO_FILE_XLS "/listino-libreoffice.xls")),
                 (QStringList{QStringLiteral("Impossibile eseguire l'importazione\nLa cella della riga 3, colonna F "
                                             "contiene l'errore #DIV/0!: correggerla e riprovare"),
                              QStringLiteral("Operazione terminata")}));
        QCOMPARE(fotografia(), prima);
        QVERIFY(w.isVisible());
    }

    void chiusaDuranteImportazione()
    {
        QStringList l;
        for (int i = 0; i < 5000; ++i)
            l << QStringLiteral(";;;%1;Art;1;;;;1").arg(i);
        const QString path = m_env->path(QStringLiteral("grande.txt"));
        scriviTesto(path, l);
        frmImporta& w = finestra();
        QPointer<frmImporta> p(&w);
        QTest::mouseClick(w.cmdValPredef, Qt::LeftButton);
        QTimer::singleShot(0, &w, [&w] { w.close(); });
        const QStringList detto = procedi(w, path);
        QCOMPARE(detto.size(), 1);
        QVERIFY(detto.first().startsWith(QStringLiteral("Operazione terminata\nRighe lette: 5.000, saltate: 0\n")));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!p);
        QCOMPARE(elenco.ricariche, 1);
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 5000);
    }

    // A long import shows its count in a bar while it runs, and the window keeps being painted.
    void barraDiAvanzamento()
    {
        QStringList l;
        for (int i = 0; i < 20000; ++i)
            l << QStringLiteral(";;;%1;Art;1;;;;1").arg(i);
        const QString path = m_env->path(QStringLiteral("grande.txt"));
        scriviTesto(path, l);
        frmImporta& w = finestra();
        QPointer<frmImporta> p(&w);
        QVERIFY(!w.pbAvanzamento->isVisible());
        QTest::mouseClick(w.cmdValPredef, Qt::LeftButton);
        bool durante = false;
        int dipinta = 0;
        QString conteggio;
        QTimer osserva;
        connect(&osserva, &QTimer::timeout, this, [&] {
            if (!p || !p->pbAvanzamento->isVisible())
                return;
            if (p->pbAvanzamento->maximum() == 20000 && p->pbAvanzamento->value() < 20000)
                durante = true;
            conteggio = p->lblConteggio->text();
        });
        osserva.start(1);
        struct Pittura : QObject
        {
            int* n;
            explicit Pittura(int* c) : n(c) {}
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    ++*n;
                return false;
            }
        } pittura(&dipinta);
        w.pbAvanzamento->installEventFilter(&pittura);
        const QStringList detto = procedi(w, path);
        QVERIFY(durante);
        QVERIFY(dipinta > 1);
        QCOMPARE(conteggio, QStringLiteral("20.000 di 20.000"));
        QVERIFY(detto.first().startsWith(QStringLiteral("Operazione terminata\nRighe lette: 20.000, saltate: 0\n")));
    }

    // Before a text price list replaces the archive, the archive is kept beside it, where
    // "Cambia Dati" finds it; the copy is replaced at the next import. No copy, no import.
    void copiaPrimaDiSostituire()
    {
        Articolo vecchio;
        vecchio.descrizione = QStringLiteral("Vecchio");
        vecchio.barCode = QStringLiteral("111");
        QVERIFY(Articoli::inserisci(vecchio));
        const QString cartella = m_env->path(QStringLiteral("Dati/PrimaImportazione"));
        const auto importa = [&](const QString& nome, const QString& riga) {
            const QString path = m_env->path(nome);
            scriviTesto(path, {riga});
            frmImporta& w = finestra();
            QTest::mouseClick(w.cmdValPredef, Qt::LeftButton);
            const QStringList detto = procedi(w, path);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return detto;
        };
        QVERIFY(importa(QStringLiteral("a.txt"), QStringLiteral(";;;800;Pane;1;;;;1,20")).first().contains(cartella));
        QVERIFY(importa(QStringLiteral("b.txt"), QStringLiteral(";;;900;Sale;1;;;;0,50")).first().contains(cartella));
        QVERIFY(!QFileInfo::exists(cartella + QStringLiteral("/DbNegozio.db.nuova")));

        // What the copy holds is the archive after the first import; "Cambia Dati" opens it.
        const QString copia = DataBackup::trovaDatabase(cartella);
        QVERIFY(!copia.isEmpty());
        const QString attuale = Db::currentPath();
        QVERIFY(DataBackup::cambiaDatabase(copia).esito);
        QVERIFY(Articoli::perBarCode(QStringLiteral("800")).trovatoValore());
        QVERIFY(!Articoli::perBarCode(QStringLiteral("900")).trovatoValore());
        QVERIFY(Db::ApriDatabase(attuale));
        QVERIFY(Articoli::perBarCode(QStringLiteral("900")).trovatoValore());

        // Where no copy can be made, the archive stays as it is.
        QVERIFY(QDir(cartella).removeRecursively());
        writeRaw(cartella, "non una cartella");
        const QStringList detto = importa(QStringLiteral("c.txt"), QStringLiteral(";;;700;Olio;1;;;;3"));
        QCOMPARE(detto.size(), 2);
        QVERIFY(detto.first().startsWith(Listini::msgErrore() + QStringLiteral("\n")));
        QVERIFY(detto.first().endsWith(QStringLiteral("impossibile salvare la copia dell'archivio in ") +
                                       QDir::toNativeSeparators(cartella) +
                                       QStringLiteral(" - L'archivio non è stato sostituito")));
        QCOMPARE(detto.last(), QStringLiteral("Operazione terminata"));
        QVERIFY(Articoli::perBarCode(QStringLiteral("900")).trovatoValore());
        QVERIFY(!Articoli::perBarCode(QStringLiteral("700")).trovatoValore());
        if (frmImporta* w = Forms::instance<frmImporta>())
            w->unload();
    }

    void passwordDelTecnico()
    {
        ui().technician = false;
        ImportaDaFileDati(ui(), elenco);
        QVERIFY(!Forms::instance<frmImporta>());
        QVERIFY(app().saltaAggiornamento); // a refused password leaves the flag set
        ui().technician = true;
        bool aperta = false;
        QTimer chiudi;
        connect(&chiudi, &QTimer::timeout, this, [&] {
            frmImporta* w = Forms::instance<frmImporta>();
            if (!w || !w->isVisible())
                return;
            aperta = w->isModal();
            chiudi.stop();
            QTest::mouseClick(w->cmdChiudi, Qt::LeftButton);
        });
        chiudi.start(5);
        ImportaDaFileDati(ui(), elenco);
        QVERIFY(aperta);
        QVERIFY(!app().saltaAggiornamento);
        QCOMPARE(elenco.ricariche, 1);
    }

    // The article window's real button: the password window, then the import window; the list is
    // reloaded when the import window closes.
    void pulsanteDellArchivio()
    {
        Magazzino& m = Forms::get<Magazzino>();
        m.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QTest::qWait(50);
        bool importaVista = false;
        QTimer guida;
        connect(&guida, &QTimer::timeout, this, [&] {
            if (frmImporta* w = Forms::instance<frmImporta>(); w && w->isVisible()) {
                importaVista = true;
                Articolo b;
                b.descrizione = QStringLiteral("aggiunto durante");
                QVERIFY(Articoli::inserisci(b));
                QTest::mouseClick(w->cmdChiudi, Qt::LeftButton);
            }
        });
        guida.start(5);
        // The technician's password refused, then given.
        m_env->interazione().technician = false;
        QTest::mouseClick(m.cmdImporta, Qt::LeftButton);
        QVERIFY(!importaVista);
        QVERIFY(app().saltaAggiornamento);
        QCOMPARE(m_env->interazione().technicianAsked, 1);
        m_env->interazione().technician = true;
        const int prima = m.ListMagazzino->count();
        QTest::mouseClick(m.cmdImporta, Qt::LeftButton);
        QVERIFY(importaVista);
        QVERIFY(!app().saltaAggiornamento);
        QCOMPARE(m.ListMagazzino->count(), prima + 1);
    }
};

QTEST_MAIN(TstFrmImporta)
#include "tst_frmimporta.moc"
