// The typed settings: missing keys, the write-back of defaults, and the one answer for [Cartelle] OUT.
#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Lookups.h"
#include "core/config/Cartelle.h"
#include "core/config/Config.h"
#include "core/config/DSNUtente.h"
#include "core/config/DataSistema.h"
#include "core/config/Distributore.h"
#include "core/config/Etichetta.h"
#include "core/config/Flag.h"
#include "core/config/IvaTarvenit.h"
#include "core/config/Promozioni.h"
#include "core/config/RegCassa.h"
#include "core/config/UnitaMisura.h"
#include "support/TestEnv.h"

#include <QtTest>

class TestConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The command sender writes "C:" for a missing OUT; from then on every reader sees "C:".
    void cartelleOutHasOneAnswer()
    {
        TestEnv env(false);
        QCOMPARE(Config::Cartelle::leggi().out, QString());
        QVERIFY(ScriviINI(env.setup(), "Cartelle", "OUT", "?"));
        QCOMPARE(Config::Cartelle::leggi().out, QString());
        QCOMPARE(Config::Cartelle::outPerComandi(), QString("C:"));
        QCOMPARE(LeggiINI(env.setup(), "Cartelle", "OUT", "?"), QString("C:"));
        QCOMPARE(Config::Cartelle::leggi().out, QString("C:"));
        QVERIFY((Config::Cartelle{"/in", "/out"}.scrivi()));
        QCOMPARE(Config::Cartelle::leggi().in, QString("/in"));
        QCOMPARE(Config::Cartelle::outPerComandi(), QString("/out"));
    }

    void flagsWrittenWhenMissing()
    {
        TestEnv env(false);
        QVERIFY(!Config::Generale::flag("VerificaCodiceFornitore"));
        QCOMPARE(LeggiINI(env.setup(), "Config", "VerificaCodiceFornitore", "?"), QString("Falso"));
        QVERIFY(ScriviINI(env.setup(), "Config", "VerificaCodiceFornitore", "vero"));
        QVERIFY(Config::Generale::flag("VerificaCodiceFornitore"));
        // The supplier-code question: only "VERO" asks, any other value does not.
        QVERIFY(Config::Generale::verificaCodiceFornitore());
        QVERIFY(ScriviINI(env.setup(), "Config", "VerificaCodiceFornitore", "Si"));
        QVERIFY(!Config::Generale::verificaCodiceFornitore());
        // An empty value is a value for [Config], missing for PiruNEX and AvvisoAttivo.
        QVERIFY(ScriviINI(env.setup(), "Config", "SalvaRepartoComeCODICE", ""));
        QVERIFY(Config::Generale::salvaRepartoComeCodice());
        QVERIFY(ScriviINI(env.setup(), "RegCassa", "PiruNEX", ""));
        QVERIFY(!Config::RegCassa::piruNEX());
        QCOMPARE(LeggiINI(env.setup(), "RegCassa", "PiruNEX", "?"), QString("Falso"));
        QVERIFY(!Config::Promozioni::avvisoAttivo());
        QCOMPARE(LeggiINI(env.setup(), "Promozioni", "AvvisoAttivo", "?"), QString("Falso"));
    }

    void regCassaRoundTrip()
    {
        TestEnv env(false);
        Config::RegCassa r = Config::RegCassa::leggi();
        QCOMPARE(r.porte.portaCOM, QString());
        QCOMPARE(r.porte.linea.velocita, QString("9600"));
        QCOMPARE(r.portaETH1, QString());
        QVERIFY(!r.piruNEXImpostato);
        r.porte.portaCOM = "3";
        r.porte.linea.velocita = "19200";
        r.portaETH1 = "192.168.1.20";
        r.modello = "QUIDAR";
        QVERIFY(r.scrivi());
        QVERIFY(Config::RegCassa::scriviPiruNEX(true));
        const Config::RegCassa l = Config::RegCassa::leggi();
        QCOMPARE(l.porte.portaCOM, QString("3"));
        QCOMPARE(l.porte.linea.velocita, QString("19200"));
        QCOMPARE(l.portaETH1, QString("192.168.1.20"));
        QCOMPARE(l.modello, QString("QUIDAR"));
        QVERIFY(l.piruNEXImpostato);
        r.portaETH1.clear();
        QVERIFY(r.scrivi());
        QCOMPARE(LeggiINI(env.setup(), "RegCassa", "PortaETH1", "x"), QString("?"));
    }

    void unitsOfMeasure()
    {
        {
            TestEnv env(false);
            QCOMPARE(Config::UnitaMisura::elenco(),
                     QStringList({"", "Bot", "Pz", "Kg", "gr", "Lt", "Fogli", "Spicchi"}));
            QCOMPARE(LeggiINI(env.setup(), "UnitaMisura", "Unita7", "?"), QString("Spicchi"));
        }
        {
            TestEnv env(false);
            for (int i = 1; i <= 9; ++i)
                QVERIFY(ScriviINI(env.setup(), "UnitaMisura", QString("Unita%1").arg(i), QString("U%1").arg(i)));
            QCOMPARE(Config::UnitaMisura::elenco().size(), 10);
        }
        {
            TestEnv env(false);
            for (int i = 1; i <= 9; ++i)
                if (i != 4)
                    QVERIFY(ScriviINI(env.setup(), "UnitaMisura", QString("Unita%1").arg(i), QString("U%1").arg(i)));
            // Key 4 gets its default back; a gap further on still stops the list.
            QVERIFY(ScriviINI(env.setup(), "UnitaMisura", "Unita9", "U9"));
            QStringList u = Config::UnitaMisura::elenco();
            QCOMPARE(u.mid(1, 5), QStringList({"U1", "U2", "U3", "gr", "U5"}));
        }
    }

    // A default that cannot be written back (the settings folder is gone) still holds for the run,
    // and each failed write is in the error log.
    void failedWriteBackIsLogged()
    {
        TestEnv env;
        app().percorsoSetup = env.path(QStringLiteral("manca/Setup.ini"));
        QVERIFY(!Config::Promozioni::avvisoAttivo());
        QVERIFY(!Config::Generale::verificaCodiceFornitore());
        QCOMPARE(Config::UnitaMisura::elenco(), QStringList({"", "Bot", "Pz", "Kg", "gr", "Lt", "Fogli", "Spicchi"}));
        QCOMPARE(Config::Cartelle::outPerComandi(), QString("C:"));
        QCOMPARE(Config::IvaTarvenit::codice(22), QString());
        const Config::Etichetta e = Config::Etichetta::leggi();
        QVERIFY(!e.convertiInEAN8 && !e.mostraBarcode);
        QVERIFY(Config::Etichetta::selezioneStandard());
        CreaDSNUtente();
        QVERIFY(!QFile::exists(app().percorsoSetup));
        const QString log = QString::fromLatin1(readAll(env.path(QStringLiteral("Dati/ErrorLog.dat"))));
        for (const char* chiave : {"[Promozioni] AvvisoAttivo=Falso", "[Config] VerificaCodiceFornitore=Falso",
                                   "[UnitaMisura] Unita7=Spicchi", "[Cartelle] OUT=C:", "[IVA TARVENIT] 22=?",
                                   "[Etichetta] VediBARCODE=Falso", "[Etichetta] SelezioneStandard=Vero"})
            QVERIFY2(log.contains(QLatin1String(chiave)), chiave);
        QVERIFY(log.contains(QStringLiteral("Err.N.:70 *-Funzioni-ScriviINI-]")));
        QVERIFY(log.contains(QStringLiteral("Err.N.:70 *-Funzioni-CreaDSNUtente-]")));
    }

    // What the start-up, the register link and the exports leave in Setup.ini, byte for byte:
    // a missing or empty VAT code becomes "?", an existing one is left alone.
    void smallSectionsWrittenBytes()
    {
        TestEnv env(false);
        writeRaw(env.setup(), "[IVA TARVENIT]\r\n4=1\r\n10=\r\n");
        QCOMPARE(Config::IvaTarvenit::codice(4), QString("1"));
        QCOMPARE(Config::IvaTarvenit::codice(10), QString());
        QCOMPARE(Config::IvaTarvenit::codice(22), QString());
        QVERIFY(!Config::DataSistema::leggi().data);
        QVERIFY(Config::DataSistema::scrivi(QDate(2026, 12, 9)));
        QCOMPARE(Config::DataSistema::leggi().data, std::optional<QString>("09/12/2026"));
        QVERIFY(Config::DSNUtente::scriviCreato());
        QCOMPARE(Config::Distributore::leggi().nome, QString("?"));
        QCOMPARE(readAll(env.setup()), QByteArray("[IVA TARVENIT]\r\n4=1\r\n10=?\r\n22=?\r\n"
                                                  "[DataSistema]\r\nData=09/12/2026\r\n"
                                                  "[DSNUtente]\r\nCreato=Vero\r\n"));
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
